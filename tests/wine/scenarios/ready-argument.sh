# The first argument becomes the target directory unchanged (quoted, with a blank inside);
# a second argument is ignored.
scenario() {
    expect_ready_window 'C:\My Files\Pkg' 'C:\My Files\Pkg' 'D:\ignored'
}
