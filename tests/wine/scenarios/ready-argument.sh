# The first argument becomes the target directory unchanged (quoted, with a blank inside); a
# second argument is ignored. The rest of the ready window is window-layout's.
scenario() {
    local vendor package target drivers
    sample_dirs
    start_window "$(installer sample)" 'C:\My Files\Pkg' 'D:\ignored'
    drive dump "$TITLE"
    expect_line "target directory" 'class="StowawayPanel"' "rect=0,57," 'text="C:\\My Files\\Pkg"' "visible=1"
    expect_line "drivers directory" 'class="StowawayPanel"' "rect=0,99," "text=\"$(esc "$drivers")\"" "visible=1"
    screenshot
    close_without_installing
}
