# A record with placement code 06h (no such code) stops the installation after the records
# before it: the heading shows the PackageError report and Finish; the earlier file stays, the
# later one is not placed, no file log is written and nothing is registered.
scenario() {
    local pkg="$RUN_DIR/package"
    mkdir -p "$pkg"
    printf 'first\r\n' > "$pkg/first.txt"
    printf 'bad\r\n' > "$pkg/bad.txt"
    printf 'last\r\n' > "$pkg/last.txt"
    local exe
    exe=$(craft_package "$pkg" "$RUN_DIR/packed.exe" QTEST "Bad Code" '16|first.txt|first.txt' \
        '16|STOWBADCODE.txt|bad.txt' '16|last.txt|last.txt')
    exe=$(craft_bad_code "$exe" STOWBADCODE.txt)
    local target='C:\Bad Code Target'
    install_to_end "$exe" "$target"
    expect_end_state "${REPORT_ERROR}PackageError: Invalid LocMode #06h. The package is probably corrupt."
    screenshot
    expect_height locked
    expect_tree "$target" first.txt
    expect_file "$target\\first.txt" "$pkg/first.txt"
    finish_installer
    local keys
    prefix_stop "$PREFIX"  # saves the registry files
    keys=$(registry_keys QTEST)
    [[ -z $keys ]] || die "registry keys written: $keys"
}
