# The file ends one byte before the package does.
scenario() {
    expect_load_error load-error-04 "04h" \
        "The package is truncated. Try downloading it again, or contact the factory for assistance."
}
