# cpack -G DEB: a Debian package of the installed program. Its version is the product version of
# res/version.def, the one place the version is defined; its library dependencies are worked out
# by dpkg-shlibdeps from the program itself.
file(STRINGS ${PROJECT_SOURCE_DIR}/res/version.def qv_product_version
     REGEX "^QV_PRODUCT_VERSION\\(")
string(REGEX MATCH "([0-9]+), *([0-9]+), *([0-9]+)" qv_match "${qv_product_version}")
if(NOT qv_match)
  message(FATAL_ERROR "res/version.def has no QV_PRODUCT_VERSION")
endif()
set(CPACK_PACKAGE_VERSION "${CMAKE_MATCH_1}.${CMAKE_MATCH_2}.${CMAKE_MATCH_3}")

set(CPACK_PACKAGE_NAME quavel)
set(CPACK_PACKAGE_VENDOR "Quavel developers")
set(CPACK_PACKAGE_CONTACT "Quavel developers <quavel@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Player for Standard MIDI Files with a play list")
# Lines kept short, as Debian's tools show them unwrapped.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Quavel plays Standard MIDI Files one after another from a play list,\n"
    "through FluidSynth and a General MIDI soundfont. Lists are built from\n"
    "files, folders and saved play lists, shown by path, file name or the\n"
    "song's own title, edited and saved again.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Without a soundfont it keeps time silently; without a Japanese font its captions are boxes;
# without Qt's catalogues the Japanese face has English file dialogs and message-box buttons.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "timgm6mb-soundfont | fluid-soundfont-gm | musescore-general-soundfont, fonts-ipafont-gothic | fonts-noto-cjk, qt6-translations-l10n")

include(CPack)
