# The sample installed with the defaults, then `stowpack plan --json` run on the same installer for
# this profile's kind of Windows with the same target and drivers directories: every file and
# driver copy the plan names is in the prefix with the packed bytes (filtered where the plan
# says so), and the installation wrote nothing the plan does not name, besides the file log,
# the Start-menu links and the system's INF store.

# The plan profile of each Wine profile. The x64 build is a native 64-bit process, which sees
# plain 32-bit NT.
plan_profile() {
    case $PROFILE in
        win32 | x64) printf nt32 ;;
        win64) printf nt64 ;;
        win98) printf 9x ;;
        *) die "unknown profile $PROFILE" ;;
    esac
}

# Whether C: held a path before the installer started (case folded).
snapshot_had() {
    local name
    name=$(snapshot_name "$1")
    awk -v n="$name" '{ l = tolower($0) } index(l, n " ") == 1 || l == n "/" { found = 1 }
        END { exit !found }' "$RUN_DIR/before.files"
}

# A C: path as the snapshot lists it: "./" and the path below C:, "/"-separated, lower case.
snapshot_name() {
    local win=${1:3}
    win=${win//\\//}
    printf './%s' "$win" | tr '[:upper:]' '[:lower:]'
}

scenario() {
    profile_locations
    local vendor package target drivers installer
    sample_dirs
    installer=$(installer sample)

    install_to_end "$installer"
    local dump="$RUN_DIR/end.dump"
    cp "$DRIVER_OUT" "$dump"
    screenshot

    local plan="$RESULT_BASE.plan.json"
    # The plan, and each record's bytes as the installer writes them (N, N.filtered).
    local records="$RUN_DIR/records"
    "$STOW_STOWPACK" plan "$installer" --profile "$(plan_profile)" --target "$target" \
        --drivers "$drivers" --json --write-contents "$records" > "$plan" 2> "$RUN_DIR/plan.err" ||
        die "stowpack plan failed: $(cat "$RUN_DIR/plan.err" "$plan")"

    # From the plan: its target and drivers directories, then every destination as
    # "N|PATH|raw" or "N|PATH|filtered", in plan order (driver copy before the record's own
    # file, as the installer writes them). The plan names each kind of system's usual folders;
    # Wine's differ in case, and its Windows 98 keeps NT's layout, so destinations below them
    # are moved to the profile's own install locations, the most specific folder first.
    local planned
    planned=$(python3 - "$plan" "$LOC_DRIVER" "$LOC_DLL" "$LOC_SYSTEM" "$LOC_WINDOWS" << 'PY'
import json, sys
plan = json.load(open(sys.argv[1]))["plans"][0]
at = plan["locations"]
moves = list(zip([at["driverPath"], at["dllPath"], at["systemPath"], at["windowsPath"]],
                 sys.argv[2:6]))

def moved(path):
    for planned, actual in moves:
        if path.startswith(planned):
            return actual + path[len(planned):]
    return path

print(plan["targetDirectory"])
print(plan["driversDirectory"])
for r in plan["records"]:
    if r["error"]:
        sys.exit("the plan stops the sample: " + r["error"])
    if r["driverCopy"]:
        print(f'{r["number"]}|{moved(r["driverCopy"])}|raw')
    if r["destination"]:
        print(f'{r["number"]}|{moved(r["destination"])}|{"filtered" if r["filtered"] else "raw"}')
PY
    ) || die "could not read the plan: $planned"
    local -a lines expected
    local number dest kind
    mapfile -t lines <<< "$planned"
    expect_eq "target directory in the plan" "$target\\" "${lines[0]}"
    expect_eq "drivers directory in the plan" "$drivers\\" "${lines[1]}"
    expected=("${lines[@]:2}")
    ((${#expected[@]})) || die "the plan names no destination"
    log "plan ($(plan_profile)): ${#expected[@]} destinations"

    # Each destination holds the record's bytes. A write into a folder that does not exist
    # (the plan creates none for it) fails: the file is then in the current directory (the
    # installer's folder) under its bare name, and listed in the report in plan order.
    local entry source host allowed=() failed=() name
    for entry in "${expected[@]}"; do
        IFS='|' read -r number dest kind <<< "$entry"
        source="$records/$number"
        [[ $kind == filtered ]] && source+=.filtered
        if [[ $dest == *'oem<n>.inf' ]]; then
            # The next free oemN.inf of that folder: a new one with these bytes.
            local dir=${dest%'oem<n>.inf'} found=""
            host=$(host_path "${dir%\\}")
            for name in "$host"/[oO][eE][mM]*.[iI][nN][fF]; do
                [[ -f $name ]] && ! snapshot_had "${dir}$(basename "$name")" &&
                    cmp -s "$name" "$source" && found=$name
            done
            [[ -n $found ]] || die "no new oemN.inf in $dir holds record $number"
            allowed+=("$(snapshot_name "${dir}$(basename "$found")")")
            continue
        fi
        host=$(host_path "$dest")
        if [[ ! -e $host && ! -d $(dirname "$host") ]]; then
            failed+=("$dest")
            dest="C:\\Downloads\\${dest##*\\}"
            host=$(host_path "$dest")
        fi
        [[ -f $host ]] || die "record $number: missing $dest"
        cmp -s "$host" "$source" || die "record $number: $dest differs from the packed bytes ($kind)"
        allowed+=("$(snapshot_name "$dest")")
    done
    log "${#expected[@]} planned destinations hold the packed bytes (${#failed[@]} failed copies)"

    local report=$REPORT_COMPLETE
    ((${#failed[@]})) && report=$(report_failed 'C:\Downloads' "${failed[@]}")
    DRIVER_OUT=$dump
    expect_end_state "$report"

    finish_installer
    prefix_stop "$PREFIX"
    snapshot_files > "$RUN_DIR/after.files"

    # What changed on C:: added or changed files (with their folders), and removed ones. Each
    # must be a planned destination (or its fallback), the file log, a link of the group, or
    # part of the INF store (the preinstalled INF and its catalog); nothing may go away.
    allowed+=("$(snapshot_name "$target\\FileLog.ini")")
    local group inf catroot
    group=$(snapshot_name "$LOC_PROGRAMS$vendor $package")
    inf=$(snapshot_name "${LOC_WINDOWS}inf")
    catroot=$(snapshot_name "${LOC_SYSTEM}catroot")
    printf '%s\n' "${allowed[@]}" > "$RUN_DIR/allowed.files"
    local changes
    changes=$(python3 - "$RUN_DIR/before.files" "$RUN_DIR/after.files" "$RUN_DIR/allowed.files" \
        "$group" "$inf" "$catroot" "$(drive_c)" "$records" << 'PY'
import sys
from pathlib import Path
before_file, after_file, allowed_file, group, inf, catroot, drive, records = sys.argv[1:]
packed = {p.read_bytes() for p in Path(records).iterdir() if not p.name.endswith(".filtered")}

def entries(path):
    # "./DIR/" for a folder, "./FILE SIZE TIME" for a file (names may hold spaces).
    out = {}
    for line in open(path, encoding="utf-8", errors="surrogateescape"):
        line = line.rstrip("\n")
        if line.endswith("/"):
            out[line] = None
        else:
            name, size, time = line.rsplit(" ", 2)
            out[name] = (size, time)
    return out

before, after = entries(before_file), entries(after_file)
allowed = {l.strip() for l in open(allowed_file) if l.strip()}
folders = {a.rsplit("/", i)[0] + "/" for a in allowed for i in range(1, a.count("/"))}

def fine(name):
    low = name.lower()
    if low.endswith("/"):
        return (low in folders or low == group + "/" or low.startswith(group + "/")
                or low.startswith(catroot + "/"))
    if low in allowed or low.startswith(catroot + "/"):
        return True
    if low.startswith(group + "/") and low.endswith(".lnk"):
        return True
    # The INF store: a preinstalled INF keeps the packed bytes (under the name the setup
    # service chose); its precompiled .pnf goes beside it.
    leaf = low[len(inf) + 1:]
    if not low.startswith(inf + "/") or "/" in leaf:
        return False
    if leaf.endswith(".inf"):
        return open(drive + name[1:], "rb").read() in packed
    return leaf.endswith(".pnf") and any(
        n.lower() == low[:-4] + ".inf" and fine(n) for n in after)

for name in sorted(before):
    if name not in after:
        print("removed", name)
for name in sorted(after):
    if (name not in before or after[name] != before[name]) and not fine(name):
        print("unplanned", name)
PY
    ) || die "could not compare the snapshots"
    [[ -z $changes ]] || die "C: after the installation: $(tr "\n" ";" <<< "$changes")"
    log "C: holds nothing the plan does not name (besides the file log, links and INF store)"
}
