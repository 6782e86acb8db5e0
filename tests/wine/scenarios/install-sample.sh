# The sample installed with the defaults by pressing Install: every record where its placement
# code puts it in this profile, the driver copies, FileLog.ini byte for byte, the driver INF
# preinstalled and recorded, the Start-menu links, the registry entries and the report. Then
# `stowpack plan` for this profile's kind of Windows with the same directories: every
# destination it names holds the packed bytes (filtered where it says so), and nothing else was
# written besides the file log, the links and the system's INF store.

# One line per record, in package order: source key | file under examples/sample/files |
# destination on 32-bit NT | on 64-bit NT (WOW64) | on Windows 9x. Destinations use the
# install locations WIN, SYS, DLL, DRV, TARGET; "-" means none (not written, not logged).
# Driver copies (flag 0x20) are listed separately below. The last record is the uninstaller
# that stowpack adds (@uninstaller: the build's stowuninstall.exe).
SAMPLE_RECORDS='
C:\zydaq.inf|drivers/zydaq.inf|-|-|WIN\INF\Other\zydaq.inf
C:\zydaq.cat|drivers/zydaq.cat|-|-|-
C:\zydaq.sys|drivers/x86/zydaq.sys|-|-|DRV\zydaq.sys
C:\amd64\zydaq.sys|drivers/amd64/zydaq.sys|-|-|-
C:\zydaq.vxd|drivers/win9x/zydaq.vxd|-|-|DRV\zydaq.vxd
C:\zyport.sys|drivers/zyport.sys|DRV\zyport.sys|DRV\zyport.sys|DRV\zyport.sys
C:\ZYLOR\firmware.bin|drivers/firmware.bin|DRV\ZYLOR\firmware.bin|DRV\ZYLOR\firmware.bin|DRV\ZYLOR\firmware.bin
C:\zydaq.dll|system/zydaq.dll|DLL\zydaq.dll|DLL\zydaq.dll|DLL\zydaq.dll
C:\ZYLOR\zydaqnet.dll|system/zydaqnet.dll|DLL\ZYLOR\zydaqnet.dll|DLL\ZYLOR\zydaqnet.dll|DLL\ZYLOR\zydaqnet.dll
C:\x86\zyhelper.dll|system/x86/zyhelper.dll|SYS\zyhelper.dll|-|SYS\zyhelper.dll
C:\amd64\zyhelper.dll|system/amd64/zyhelper.dll|-|SYS\zyhelper.dll|-
C:\zylor.ini|windows/zylor.ini|WIN\zylor.ini|WIN\zylor.ini|WIN\zylor.ini
C:\Help\zydaq.hlp|windows/zydaq.hlp|WIN\Help\zydaq.hlp|WIN\Help\zydaq.hlp|WIN\Help\zydaq.hlp
C:\DAQ Suite.pdf|DAQ Suite.pdf|TARGET\DAQ Suite.pdf|TARGET\DAQ Suite.pdf|TARGET\DAQ Suite.pdf
C:\Setup.exe|Setup.exe|TARGET\Setup.exe|TARGET\Setup.exe|TARGET\Setup.exe
C:\Demo.exe|Demo.exe|TARGET\Demo.exe|TARGET\Demo.exe|TARGET\Demo.exe
C:\ReadMe.txt|ReadMe.txt|TARGET\ReadMe.txt|TARGET\ReadMe.txt|TARGET\ReadMe.txt
C:\weblink.html|weblink.html|TARGET\weblink.html|TARGET\weblink.html|TARGET\weblink.html
C:\LICENSE|LICENSE|TARGET\LICENSE|TARGET\LICENSE|TARGET\LICENSE
C:\_tools\calib.exe|_tools/calib.exe|TARGET\_tools\calib.exe|TARGET\_tools\calib.exe|TARGET\_tools\calib.exe
C:\_tools\calib.txt|_tools/calib.txt|TARGET\_tools\calib.txt|TARGET\_tools\calib.txt|TARGET\_tools\calib.txt
C:\DOS\daqdemo.exe|DOS/daqdemo.exe|TARGET\DOS\daqdemo.exe|TARGET\DOS\daqdemo.exe|TARGET\DOS\daqdemo.exe
C:\DOS\daqdemo.c|DOS/daqdemo.c|TARGET\DOS\daqdemo.c|TARGET\DOS\daqdemo.c|TARGET\DOS\daqdemo.c
C:\WIN32\scope.exe|WIN32/scope.exe|TARGET\WIN32\scope.exe|TARGET\WIN32\scope.exe|TARGET\WIN32\scope.exe
C:\WIN32\scope.c|WIN32/scope.c|TARGET\WIN32\scope.c|TARGET\WIN32\scope.c|TARGET\WIN32\scope.c
C:\WIN16\meter.exe|WIN16/meter.exe|TARGET\WIN16\meter.exe|TARGET\WIN16\meter.exe|TARGET\WIN16\meter.exe
C:\ZYLORUninstall.exe|@uninstaller|WIN\ZYLORUninstall.exe|WIN\ZYLORUninstall.exe|WIN\ZYLORUninstall.exe
'
# The driver copies: the key without its drive prefix, under the drivers directory.
SAMPLE_DRIVER_COPIES='zydaq.inf zydaq.cat zydaq.sys amd64\zydaq.sys'
# Start-menu links in the group, by the rules for each kind of file in the target directory:
# link name | target below the target directory.
SAMPLE_LINKS='
DAQ Suite Manual (.PDF)|DAQ Suite.pdf
Settings|Setup.exe
Demo|Demo.exe
ReadMe.txt|ReadMe.txt
ZYLOR Web Site|weblink.html
_tools|_tools
DOS Samples\daqdemo.exe|DOS\daqdemo.exe
DOS Samples\daqdemo.c|DOS\daqdemo.c
Windows Samples\scope.exe|WIN32\scope.exe
Windows Samples\scope.c|WIN32\scope.c
Windows 16bit Samples\meter.exe|WIN16\meter.exe
'

# How the installation is run; the silent scenario replaces it (and sets SILENT=1, which skips
# the window's checks).
sample_run_installer() {
    install_to_end "$(installer sample)"
    screenshot
}

scenario() {
    profile_locations
    local vendor package target drivers files="$STOW_SAMPLE_DIR/files"
    sample_dirs
    local column=3
    ((BITS == 64)) && column=4
    ((NT)) || column=5

    sample_run_installer

    # The plan of this profile's kind of Windows (the x64 build is a native 64-bit process,
    # which sees plain 32-bit NT), and each record's bytes as the installer writes them (record
    # N: N, N.filtered).
    local plan="$RESULT_BASE.plan.json" contents="$RUN_DIR/records" kind=nt$BITS number=0
    ((NT)) || kind=9x
    "$STOW_STOWPACK" plan "$(installer sample)" --profile "$kind" --target "$target" \
        --drivers "$drivers" --json --write-contents "$contents" > "$plan" 2> "$RUN_DIR/plan.err" ||
        die "stowpack plan failed: $(cat "$RUN_DIR/plan.err" "$plan")"

    # Each record at its destination, byte for byte; its file-log line in package order. On 9x
    # the INF goes to INF\Other, filtered as the plan writes it.
    local key source dest log="" record
    local -A stamp=([C:\\zylor.ini]="2023-11-20 08:30:00")
    while IFS= read -r record; do
        [[ -n $record ]] || continue
        ((++number))
        key=$(cut -d'|' -f1 <<< "$record")
        source=$(cut -d'|' -f2 <<< "$record")
        dest=$(cut -d'|' -f"$column" <<< "$record")
        [[ $dest == - ]] && continue
        dest=${dest/#WIN\\/$LOC_WINDOWS}
        dest=${dest/#SYS\\/$LOC_SYSTEM}
        dest=${dest/#DLL\\/$LOC_DLL}
        dest=${dest/#DRV\\/$LOC_DRIVER}
        dest=${dest/#TARGET/$target}
        log+="$key=$dest,$(dos_time "${stamp[$key]:-2024-03-01 10:00:00}")"$'\r\n'
        if [[ $dest == *'\INF\Other\'* ]]; then
            expect_file "$dest" "$contents/$number.filtered"
            continue
        fi
        if [[ $source == @uninstaller ]]; then
            expect_file "$dest" "$STOW_UNINSTALLER"
        else
            expect_file "$dest" "$files/$source"
        fi
    done <<< "$SAMPLE_RECORDS"
    local expected_log="[$vendor File Log - $package]"$'\r\n'"$log"$'\r\n'
    expected_log+="[START]"$'\r\n'"$vendor File Log - $package=$LOC_PROGRAMS$vendor $package\\"$'\r\n\r\n'
    cmp -s <(printf '%s' "$expected_log") "$(host_path "$target\\FileLog.ini")" ||
        die "FileLog.ini differs: $(diff <(printf '%s' "$expected_log") "$(host_path "$target\\FileLog.ini")" | head -c 1500)"

    # Files whose condition does not hold in this profile are nowhere.
    if ((NT)); then
        expect_no_file "${LOC_SYSTEM}zydaq.vxd"
        expect_no_file "${LOC_DRIVER}zydaq.sys"
        expect_no_file "${LOC_DRIVER}zydaq.vxd"
    fi

    # The target directory holds the records placed there and the file log; the drivers
    # directory exactly the driver copies.
    local tree=() copy
    while IFS= read -r record; do
        dest=$(cut -d'|' -f"$column" <<< "$record")
        [[ $dest == TARGET\\* ]] && tree+=("${dest#TARGET\\}")
    done <<< "$SAMPLE_RECORDS"
    expect_tree "$target" "${tree[@]}" FileLog.ini
    read -r -a tree <<< "$SAMPLE_DRIVER_COPIES"
    expect_tree "$drivers" "${tree[@]}"
    for copy in "${tree[@]}"; do
        source=$(k="C:\\$copy" awk -F'|' '$1 == ENVIRON["k"] { print $2; exit }' <<< "$SAMPLE_RECORDS")
        expect_file "$drivers\\$copy" "$files/$source"
    done

    # The plain completion report, and the height stays locked (no failed copies).
    if ((!${SILENT:-0})); then
        expect_end_state "$REPORT_COMPLETE"
        expect_height locked
    fi

    # Start-menu links: exactly the expected ones, no uninstall link (the uninstall key exists).
    local links=()
    while IFS= read -r record; do
        [[ -n $record ]] && links+=("${record%%|*}|$target\\${record#*|}")
    done <<< "$SAMPLE_LINKS"
    expect_links "$LOC_PROGRAMS$vendor $package" "${links[@]}"

    # The driver INF went to the system's INF folder under the name the service chose, recorded
    # under the INF key; without preinstallation (9x) there is no INF key.
    if ((NT)); then
        expect_inf_key "$vendor" "$drivers\\zydaq.inf" "$files/drivers/zydaq.inf"
    else
        expect_no_reg_key "HKLM\\Software\\$vendor\\INF"
    fi

    # One installed-packages value (named by the time stamp), and the uninstall key.
    reg_query "HKLM\\Software\\$vendor\\Installed Packages" || die "no installed-packages key"
    expect_eq "installed packages" "$package,$target\\" "$(reg_values | cut -f2)"
    reg_query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$vendor Data Acquisition" ||
        die "no uninstall key"
    local uninstall
    uninstall=$(reg_values | LC_ALL=C sort)
    local date
    for date in $INSTALL_DATES; do
        [[ $uninstall == "$(printf 'DisplayName\t%s\nInstallDate\t%s\nUninstallString\t%s' \
            "$vendor Software" "$date" "$LOC_WINDOWS${vendor}Uninstall.exe")" ]] && break
        date=""
    done
    [[ -n $date ]] || die "uninstall key values: [$uninstall] (dates $INSTALL_DATES)"

    ((${SILENT:-0})) || finish_installer
    expect_registry_view "$vendor"
    expect_as_planned "$plan" "$contents"
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

# The plan (its --json and --write-contents folder) against what the installation left on C:.
expect_as_planned() {
    # From the plan: its target and drivers directories, then every destination as
    # "N|PATH|raw" or "N|PATH|filtered", in plan order (driver copy before the record's own
    # file, as the installer writes them). The plan names each kind of system's usual folders;
    # Wine's differ in case, and its Windows 98 keeps NT's layout, so destinations below them
    # are moved to the profile's own install locations, the most specific folder first.
    local plan=$1 records=$2 planned
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
    log "plan: ${#expected[@]} destinations"

    # Each destination holds the record's bytes (the complete report says that none failed).
    local entry source host allowed=() name
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
        [[ -f $host ]] || die "record $number: missing $dest"
        cmp -s "$host" "$source" || die "record $number: $dest differs from the packed bytes ($kind)"
        allowed+=("$(snapshot_name "$dest")")
    done
    log "${#expected[@]} planned destinations hold the packed bytes"
    prefix_stop "$PREFIX"
    snapshot_files > "$RUN_DIR/after.files"

    # What changed on C:: added or changed files (with their folders), and removed ones. Each
    # must be a planned destination, the file log (and the installer's own log), a link of the
    # group, or part of the INF store (the preinstalled INF and its catalog); nothing may go away.
    allowed+=("$(snapshot_name "$target\\FileLog.ini")")
    [[ -z ${INSTALL_LOG:-} ]] || allowed+=("$(snapshot_name "$INSTALL_LOG")")
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
