# The sample packed as the vendor does, then signed with a throwaway certificate: the signature
# verifies, lies behind the package (the package's bytes unchanged), and the signed installer
# loads and installs like the unsigned one.
scenario() {
    profile_locations
    local vendor package target drivers
    sample_dirs
    local sign="$RUN_DIR/signing" manifest
    mkdir -p "$sign"
    manifest=$(sample_manifest) || die "no sample manifest in $STOW_SAMPLE_DIR"
    (cd "$(dirname "$manifest")" &&
        "$STOW_STOWPACK" build "$manifest" -o "$sign/unsigned.exe" --stub "$STOW_STUB") \
        > "$sign/stowpack.log" 2>&1 || die "stowpack build failed: $(cat "$sign/stowpack.log")"
    local signed="$sign/$package.exe"
    sign_installer "$sign/unsigned.exe" "$signed"

    # inspect: the certificate table starts where the package ends (after alignment) and fills
    # the rest of the file; the installer still loads.
    "$STOW_STOWPACK" inspect "$signed" > "$sign/inspect.txt" 2>&1 ||
        die "stowpack inspect failed: $(cat "$sign/inspect.txt")"
    { echo "== stowpack inspect"; cat "$sign/inspect.txt"; } >> "$RESULT_BASE.txt"
    local offset length size unsigned_size
    offset=$(sed -n 's/^Package: *offset \([0-9]*\), length.*/\1/p' "$sign/inspect.txt")
    length=$(sed -n 's/^Package: *offset [0-9]*, length \([0-9]*\) .*/\1/p' "$sign/inspect.txt")
    [[ -n $offset && -n $length ]] || die "inspect names no package"
    size=$(stat -c %s "$signed")
    unsigned_size=$(stat -c %s "$sign/unsigned.exe")
    expect_eq "unsigned size" "$((offset + length))" "$unsigned_size"
    ((size > unsigned_size)) || die "signing added nothing to the file"
    # osslsigncode starts the table on an 8-byte boundary: up to 7 zero bytes come between.
    local table=$(((offset + length + 7) / 8 * 8)) between
    between=$((table - offset - length))
    local behind="behind the package"
    ((between)) && behind+=" ($between alignment bytes between)"
    grep -qF "Signature:     certificate table at offset $table, $((size - table)) bytes, $behind" \
        "$sign/inspect.txt" || die "inspect: no signature behind the package: $(grep '^Signature' "$sign/inspect.txt")"
    grep -qF "Behind:        $((size - offset - length)) bytes follow the package" "$sign/inspect.txt" ||
        die "inspect: $(grep '^Behind' "$sign/inspect.txt")"
    grep -q '^Start-up: *loads without error' "$sign/inspect.txt" || die "inspect: the signed installer would not load"
    cmp -s -i "$offset:$offset" -n "$length" "$sign/unsigned.exe" "$signed" ||
        die "signing changed the package's bytes"

    # Under Wine: the ready window, Install, the end state with the completion report.
    local files="$STOW_SAMPLE_DIR/files"
    install_to_end "$signed"
    screenshot
    expect_end_state "$REPORT_COMPLETE"
    expect_file "$target\\ReadMe.txt" "$files/ReadMe.txt"
    expect_file "$target\\DOS\\daqdemo.c" "$files/DOS/daqdemo.c"
    expect_file "$target\\WIN16\\meter.exe" "$files/WIN16/meter.exe"
    expect_file "${LOC_DLL}zydaq.dll" "$files/system/zydaq.dll"
    expect_file "${LOC_WINDOWS}Help\\zydaq.hlp" "$files/windows/zydaq.hlp"
    grep -qF "C:\\LICENSE=$target\\LICENSE," "$(host_path "$target\\FileLog.ini")" ||
        die "the file log has no LICENSE entry"
    finish_installer
}
