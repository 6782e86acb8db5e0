# The sample signed with a throwaway certificate. Before and after signing Windows reads the
# vendor's version texts and numbers (GetFileVersionInfoA / VerQueryValueA) and finds the
# elevation manifest (type 24); the signature verifies and lies behind the package (the
# package's bytes unchanged); inspect shows the texts; the signed installer installs like the
# unsigned one. The manifest changes no location or platform fact: every scenario runs with it.
scenario() {
    profile_locations
    local vendor package target drivers
    sample_dirs
    local sign="$RUN_DIR/signing" unsigned
    unsigned=$(installer sample)
    local signed="$sign/$package.exe"
    probe_versions "$unsigned" unsigned
    sign_installer "$unsigned" "$signed"
    probe_versions "$signed" signed

    # inspect: the certificate table starts where the package ends (after alignment) and fills
    # the rest of the file; the version texts; the installer still loads.
    "$STOW_STOWPACK" inspect "$signed" > "$sign/inspect.txt" 2>&1 ||
        die "stowpack inspect failed: $(cat "$sign/inspect.txt")"
    { echo "== stowpack inspect"; cat "$sign/inspect.txt"; } >> "$RESULT_BASE.txt"
    grep -q '^Version info:  2.1.0.7$' "$sign/inspect.txt" || die "inspect: $(grep '^Version' "$sign/inspect.txt")"
    grep -q '^  CompanyName     ZYLOR  (slot ' "$sign/inspect.txt" || die "inspect shows no CompanyName"
    local offset length size unsigned_size
    offset=$(sed -n 's/^Package: *offset \([0-9]*\), length.*/\1/p' "$sign/inspect.txt")
    length=$(sed -n 's/^Package: *offset [0-9]*, length \([0-9]*\) .*/\1/p' "$sign/inspect.txt")
    [[ -n $offset && -n $length ]] || die "inspect names no package"
    size=$(stat -c %s "$signed")
    unsigned_size=$(stat -c %s "$unsigned")
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
    cmp -s -i "$offset:$offset" -n "$length" "$unsigned" "$signed" ||
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

# Runs the probe on a copy inside the prefix and checks every value.
probe_versions() {
    local file=$1 name=$2
    mkdir -p "$(drive_c)/probe"
    cp "$file" "$(drive_c)/probe/$name.exe"
    local status=0
    timeout -k 5 60 "$WINE" "$STOW_VERSION_PROBE" "C:\\probe\\$name.exe" < /dev/null \
        > "$RUN_DIR/probe.out" 2> "$RUN_DIR/probe.err" || status=$?
    tr -d '\r' < "$RUN_DIR/probe.out" > "$RUN_DIR/probe.txt"
    { echo "== version_probe $name (status $status)"; cat "$RUN_DIR/probe.txt"; } >> "$RESULT_BASE.txt"
    expect_eq "$name: probe status" "0" "$status"
    local expected
    expected=$(printf '%s\n' 'CompanyName="ZYLOR"' 'FileDescription="ZYLOR DAQ Suite Setup"' \
        'FileVersion="2.1.0.7"' 'LegalCopyright="Copyright (C) 2024 ZYLOR Instruments"' \
        'ProductName="DAQ Suite"' 'ProductVersion="2.1.0.7"' 'fixed=2.1.0.7' \
        'manifest=found requireAdministrator=1 common-controls=0 compatibility=0')
    expect_eq "$name: resources" "$expected" "$(cat "$RUN_DIR/probe.txt")"
}
