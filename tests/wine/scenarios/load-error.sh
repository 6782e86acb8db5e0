# Each load check of the installer meets the file it rejects (craft.py): the bare stub whose
# locator still reads "XXXX" (00), a locator pointing into the file's first page (01), a file
# ending inside the length field (02), a length one below the smallest package (03), a file
# ending one byte before the package does (04), a vendor name claiming more bytes than the body
# holds (FF). One ctest per case: wine.PROFILE.load-error-CASE.
# cases: 00 01 02 03 04 ff
LOAD_ERRORS='
00|bare|No package is attached. Please contact the factory for assistance.
01|load-error-01|This file is corrupted. Please contact the factory for assistance.
02|load-error-02|This file is truncated. Try downloading it again, or contact the factory for assistance.
03|load-error-03|The package is corrupted. Please contact the factory for assistance.
04|load-error-04|The package is truncated. Try downloading it again, or contact the factory for assistance.
ff|load-error-ff|An exception occurred while loading. Please contact the factory for assistance. Details are as follows:\r\nEReadError: Stream read error
'

scenario() {
    local line code file text
    line=$(grep "^$1|" <<< "$LOAD_ERRORS") || die "no load-error case $1"
    IFS='|' read -r code file text <<< "$line"
    expect_load_error "$file" "${code^^}h" "${text//\\r\\n/$'\r\n'}"
}
