# The Debian package: scripts/package.sh runs CPack on an editor build.
# dpkg-shlibdeps finds the libraries the two programs link; what they load
# at run time without linking is added by hand: the Japanese font of the
# file window, and Qt's platform plugins, without which the editor cannot
# open a window.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME palorin)
set(CPACK_PACKAGE_VENDOR "The Palorin developers")
set(CPACK_PACKAGE_CONTACT "The Palorin developers <maintainers@palorin.github.io>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for isometric block pictures")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://palorin.github.io/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The extended description below the summary line; CPack indents its lines
# and marks the empty line as a paragraph break.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Palorin stamps isometric cubes onto a 500 x 308 drawing area: one block,
or a row, slab, wall, box or box shell of up to 50 blocks per axis, in
five colours. Every block goes into a placement log that UnDo and ReDo
step through. Pictures are saved and loaded as text files, in the
program's own format and in a compatible format of up to five part files,
saved as BMP images and copied to the clipboard.

The package also holds palorin-cli, which renders, inspects and converts
block pictures and replays editing sessions without a display.")
include(CPack)
