# Driver preinstallation with the real setup service: of five INF-like entries in the drivers
# directory only the one at its top level that the service accepts is recorded. The others:
# an INF whose catalog file cannot be installed (rejected), an INF in a subfolder, a file named
# only ".inf" and a folder named "sub.inf". Each INF is valid on its own, so any of them would
# be accepted if the installer handed it over; each carries its own comment line, so its copy
# in the system's INF folder can be told apart.
inf_text() {
    printf '; stow test INF: %s\r\n[Version]\r\nSignature="$Windows NT$"\r\nClass=DataAcquisition\r\n' "$1"
    printf 'ClassGuid={6BDD1FC6-810F-11D0-BEC7-08002BE2092F}\r\nProvider=%%V%%\r\n'
    [[ -n ${2:-} ]] && printf 'CatalogFile=%s\r\n' "$2"
    printf 'DriverVer=03/01/2024,1.0.0.0\r\n\r\n[Strings]\r\nV="QTEST"\r\n'
}

scenario() {
    profile_locations
    local pkg="$RUN_DIR/package"
    mkdir -p "$pkg"
    inf_text good > "$pkg/good.inf"
    inf_text rejected zymissing.cat > "$pkg/rejected.inf"
    inf_text nested > "$pkg/nested.inf"
    inf_text dot > "$pkg/dot.inf"
    printf 'not an INF\r\n' > "$pkg/readme.txt"
    # Driver copies only: placement | path | source | key.
    local exe
    exe=$(craft_package "$pkg" "$RUN_DIR/drivers.exe" QTEST "Driver Set" \
        'driver|zyrej.inf|rejected.inf|C:\zyrej.inf' 'driver|zygood.inf|good.inf|C:\zygood.inf' \
        'driver|nested.inf|nested.inf|C:\sub\nested.inf' 'driver|dot.inf|dot.inf|C:\.inf' \
        'driver|readme.txt|readme.txt|C:\sub.inf\readme.txt')
    local drivers="$(program_files)\\QTEST\\Common Drivers"

    install_to_end "$exe"
    expect_end_state "$REPORT_COMPLETE"
    screenshot
    expect_tree "$drivers" zyrej.inf zygood.inf 'sub\nested.inf' .inf 'sub.inf\readme.txt'

    # Which test INFs reached the system's INF folder, told by their comment lines.
    local copied
    copied=$(grep -l '^; stow test INF:' "$(host_path "${LOC_WINDOWS}inf")"/*.inf 2> /dev/null |
        xargs -r sed -n 's/^; stow test INF: \([a-z]*\).*/\1/p' | sort | tr '\n' ' ')
    if ((NT)); then
        expect_eq "INFs in the system's INF folder" "good " "$copied"
        expect_inf_key QTEST "$drivers\\zygood.inf" "$pkg/good.inf"
    else
        # No preinstallation on 9x: nothing handed to the service, no INF key.
        expect_eq "INFs in the system's INF folder" "" "$copied"
        expect_no_reg_key 'HKLM\Software\QTEST\INF'
    fi
    finish_installer
}
