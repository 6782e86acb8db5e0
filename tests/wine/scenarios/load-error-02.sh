# The file ends inside the package's length field.
scenario() {
    expect_load_error load-error-02 "02h" \
        "This file is truncated. Try downloading it again, or contact the factory for assistance."
}
