# The built installer's resources as Windows reads them: the vendor's version texts and numbers
# (GetFileVersionInfoA / VerQueryValueA) and the elevation manifest (type 24), before and after
# signing; the signed file still verifies. The manifest changes no location or platform fact:
# every other scenario runs the stub with it.
scenario() {
    local sign="$RUN_DIR/signing"
    probe_versions "$(installer sample)" unsigned
    sign_installer "$(installer sample)" "$RUN_DIR/signed.exe"
    probe_versions "$RUN_DIR/signed.exe" signed

    # inspect shows the same texts.
    "$STOW_STOWPACK" inspect "$RUN_DIR/signed.exe" > "$sign/inspect.txt" 2>&1 || true
    { echo "== stowpack inspect"; cat "$sign/inspect.txt"; } >> "$RESULT_BASE.txt"
    grep -q '^Version info:  2.1.0.7$' "$sign/inspect.txt" || die "inspect: $(grep '^Version' "$sign/inspect.txt")"
    grep -q '^  CompanyName     ZYLOR  (slot ' "$sign/inspect.txt" || die "inspect shows no CompanyName"
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
