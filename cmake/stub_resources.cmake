# The stub's resource script, generated so that every version text fills a slot of a fixed
# width: the packer writes the vendor's texts into those slots without moving anything.

# Sets var to text padded with blanks to width characters (the slot, without its NUL).
function(stow_version_slot var text width)
    string(LENGTH "${text}" length)
    math(EXPR pad "${width} - ${length}")
    string(REPEAT " " ${pad} blanks)
    set(${var} "${text}${blanks}" PARENT_SCOPE)
endfunction()

stow_version_slot(STOW_SLOT_COMPANY "Stowaway" 47)
stow_version_slot(STOW_SLOT_PRODUCT "Stowaway" 47)
stow_version_slot(STOW_SLOT_DESCRIPTION "Stowaway installer" 63)
stow_version_slot(STOW_SLOT_FILE_VERSION "1.0.0.0" 23)
stow_version_slot(STOW_SLOT_PRODUCT_VERSION "1.0.0.0" 23)
stow_version_slot(STOW_SLOT_COPYRIGHT "" 63)
set(STOW_APP_DIR ${PROJECT_SOURCE_DIR}/app)
set(STOW_STUB_RC ${CMAKE_CURRENT_BINARY_DIR}/stowaway.rc)
configure_file(${PROJECT_SOURCE_DIR}/app/stowaway.rc.in ${STOW_STUB_RC} @ONLY)
enable_language(RC)
