# `cpack -G DEB` in a build folder makes vesk_<version>_<arch>.deb for Debian
# 12 from the install rules (VeskInstall.cmake), under /usr. The libraries the
# programs link come from dpkg-shlibdeps; what they load at run time is named
# here: the TIFF reader, and what a desktop session wants besides (a font
# with Cyrillic, Qt's Russian texts, Wayland, the MIME and desktop databases
# that pick up the project type). scripts/build-deb.sh builds and checks it.
set(CPACK_PACKAGE_NAME vesk)
set(CPACK_PACKAGE_VENDOR "Vesk")
set(CPACK_PACKAGE_CONTACT "Vesk developers <vesk@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "photogrammetric stereo visualisation: transformed images and anaglyphs")
set(CPACK_PACKAGE_DESCRIPTION
    "Vesk resamples one of two photographs of a scene into the frame of the other or onto the scene plane and composes red-green and red-cyan anaglyphs. The plane projective transformations come from reference points (least squares or a robust four-point-subset method) or from the cameras' calibration and orientation. The package holds the desktop application vesk, the batch tool vesk-cli, the manual and two example sets.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-image-formats-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "fonts-dejavu-core, qt6-translations-l10n, qt6-wayland, shared-mime-info, desktop-file-utils")
set(CPACK_GENERATOR DEB)
include(CPack)
