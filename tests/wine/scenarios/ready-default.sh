# Without arguments the target directory is the program files folder, the vendor and the package.
scenario() {
    expect_ready_window "$(program_files)\\$(package_info vendor)\\$(package_info package)"
}
