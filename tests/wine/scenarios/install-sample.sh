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
    # the INF goes to INF\Other, filtered as the plan writes it. The target directory's files.
    local key source dest log="" record tree=() copy
    local -A stamp=([C:\\zylor.ini]="2023-11-20 08:30:00")
    while IFS= read -r record; do
        [[ -n $record ]] || continue
        ((++number))
        key=$(cut -d'|' -f1 <<< "$record")
        source=$(cut -d'|' -f2 <<< "$record")
        dest=$(cut -d'|' -f"$column" <<< "$record")
        [[ $dest == - ]] && continue
        [[ $dest == TARGET\\* ]] && tree+=("${dest#TARGET\\}")
        dest=${dest/#WIN\\/$LOC_WINDOWS}
        dest=${dest/#SYS\\/$LOC_SYSTEM}
        dest=${dest/#DLL\\/$LOC_DLL}
        dest=${dest/#DRV\\/$LOC_DRIVER}
        dest=${dest/#TARGET/$target}
        log+="$key=$dest,$(dos_time "${stamp[$key]:-2024-03-01 10:00:00}")"$'\r\n'
        case $dest:$source in
            *'\INF\Other\'*) source=$contents/$number.filtered ;;
            *:@uninstaller) source=$STOW_UNINSTALLER ;;
            *) source=$files/$source ;;
        esac
        expect_file "$dest" "$source"
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
    local date
    date=$(reg_values | sed -n 's/^InstallDate\t//p')
    [[ " $INSTALL_DATES " == *" $date "* ]] || die "InstallDate [$date], not one of $INSTALL_DATES"
    expect_eq "uninstall key values" "$(printf 'DisplayName\t%s\nInstallDate\t%s\nUninstallString\t%s' \
        "$vendor Software" "$date" "$LOC_WINDOWS${vendor}Uninstall.exe")" "$(reg_values | LC_ALL=C sort)"

    ((${SILENT:-0})) || finish_installer
    expect_registry_view "$vendor"
    expect_as_planned "$plan" "$contents"
}

# The plan (its --json and --write-contents folder) against what the installation left on C:.
# Each destination the plan names holds the record's bytes (raw or filtered, as it says; the
# complete report says none failed). The plan names each kind of system's usual folders; Wine's
# differ in case, and its Windows 98 keeps NT's layout, so destinations below them are moved to
# the profile's own install locations, the most specific folder first. Then every file added or
# changed on C: (with its folders) must be a planned destination, the file log (and the
# installer's own log), a link of the group, or part of the INF store (the preinstalled INF, its
# .pnf and the catalog); nothing may go away.
expect_as_planned() {
    local plan=$1 records=$2 problems
    prefix_stop "$PREFIX"
    snapshot_files > "$RUN_DIR/after.files"
    problems=$(python3 - "$plan" "$records" "$RUN_DIR/before.files" "$RUN_DIR/after.files" \
        "$(drive_c)" "$target" "$drivers" "$LOC_PROGRAMS$vendor $package" "${INSTALL_LOG:-}" \
        "$LOC_DRIVER" "$LOC_DLL" "$LOC_SYSTEM" "$LOC_WINDOWS" << 'PY'
import json, re, sys
from pathlib import Path
plan_f, records, before_f, after_f, drive, target, drivers, group, install_log = sys.argv[1:10]
plan = json.load(open(plan_f))["plans"][0]
at = plan["locations"]
moves = list(zip([at[k] for k in ("driverPath", "dllPath", "systemPath", "windowsPath")], sys.argv[10:]))

def moved(path):
    for planned, actual in moves:
        if path.startswith(planned):
            return actual + path[len(planned):]
    return path

def name(win):  # "C:\A\b" as the snapshot lists it, case folded: "./a/b"
    return ("./" + win[3:].replace("\\", "/")).lower()

def entries(path):  # "./DIR/" for a folder, "./FILE SIZE TIME" for a file (names may hold spaces)
    out = {}
    for line in open(path, encoding="utf-8", errors="surrogateescape"):
        line = line.rstrip("\n")
        out[line if line.endswith("/") else line.rsplit(" ", 2)[0]] = line
    return out

before, after = entries(before_f), entries(after_f)
files = {n.lower(): n for n in after if not n.endswith("/")}
had = {n.lower() for n in before}
content = lambda low: Path(drive + files[low][1:]).read_bytes()
problems = []
for what, planned, actual in (("target", plan["targetDirectory"], target + "\\"),
                              ("drivers", plan["driversDirectory"], drivers + "\\")):
    if planned != actual:
        problems.append(f"{what} directory in the plan: {planned}")
allowed = {name(target + "\\FileLog.ini")} | ({name(install_log)} if install_log else set())
for r in plan["records"]:
    if r["error"]:
        problems.append("the plan stops the sample: " + r["error"])
    planned = [(r["driverCopy"], "")] if r["driverCopy"] else []
    planned += [(r["destination"], ".filtered" if r["filtered"] else "")] if r["destination"] else []
    for dest, kind in planned:
        dest, packed = moved(dest), Path(records, f'{r["number"]}{kind}').read_bytes()
        if dest.endswith("oem<n>.inf"):  # the next free oemN.inf of that folder
            folder = name(dest[: -len("oem<n>.inf")])
            found = [f for f in files if f.startswith(folder) and f not in had
                     and re.fullmatch(r"oem\d+\.inf", f[len(folder):]) and content(f) == packed]
            problems += [] if found else [f'no new oemN.inf in {folder} holds record {r["number"]}']
            allowed.update(found)
        elif name(dest) not in files or content(name(dest)) != packed:
            problems.append(f'record {r["number"]}: {dest} missing or not the packed bytes{kind}')
        allowed.add(name(dest))
print(f"{len(plan['records'])} records planned", file=sys.stderr)

group, inf, catroot = name(group), name(moves[3][1] + "inf"), name(moves[2][1] + "catroot")
packed = {p.read_bytes() for p in Path(records).iterdir() if not p.name.endswith(".filtered")}
folders = {a.rsplit("/", i)[0] + "/" for a in allowed for i in range(1, a.count("/"))}

def fine(entry):
    low = entry.lower()
    if low.endswith("/"):
        return low in folders or low.startswith((group + "/", catroot + "/"))
    if low in allowed or low.startswith(catroot + "/") or (low.startswith(group + "/") and low.endswith(".lnk")):
        return True
    # The INF store: a preinstalled INF keeps the packed bytes (under the name the setup service
    # chose); its precompiled .pnf goes beside it.
    leaf = low[len(inf) + 1:]
    if not low.startswith(inf + "/") or "/" in leaf:
        return False
    if leaf.endswith(".inf"):
        return content(low) in packed
    return leaf.endswith(".pnf") and low[:-4] + ".inf" in files and fine(low[:-4] + ".inf")

problems += [f"removed {n}" for n in sorted(before) if n not in after]
problems += [f"unplanned {n}" for n in sorted(after) if before.get(n) != after[n] and not fine(n)]
print("\n".join(problems))
PY
    ) || die "could not compare the installation with the plan"
    [[ -z $problems ]] || die "C: after the installation: $(tr "\n" ";" <<< "$problems")"
    log "C: holds the plan's bytes and nothing it does not name (besides the file log, links and INF store)"
}
