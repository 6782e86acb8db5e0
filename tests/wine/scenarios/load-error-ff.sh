# The vendor name claims more bytes than the package body holds: reading the header fails.
scenario() {
    expect_load_error load-error-ff "FFh" \
        "An exception occurred while loading. Please contact the factory for assistance. Details are as follows:"$'\r\n'"EReadError: Stream read error"
}
