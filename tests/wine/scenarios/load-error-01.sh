# The locator points into the first page of the file (4091 + 4 < 4096).
scenario() {
    expect_load_error load-error-01 "01h" \
        "This file is corrupted. Please contact the factory for assistance."
}
