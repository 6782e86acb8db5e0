# The package length is one byte below the smallest package (4095).
scenario() {
    expect_load_error load-error-03 "03h" \
        "The package is corrupted. Please contact the factory for assistance."
}
