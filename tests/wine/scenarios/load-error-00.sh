# The bare stub carries no package: its locator still reads "XXXX".
scenario() {
    expect_load_error bare "00h" \
        "No package is attached. Please contact the factory for assistance."
}
