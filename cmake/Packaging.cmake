# The Debian package. Each folder installs its own programs: `cmake --install`
# puts bin/lookwell and bin/pacewell (with share/<program>/help, the desktop
# entries and the hicolor icons), the command-line companions and krnsim in
# place; `cpack` in the build folder then makes the .deb.

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "krn735-configurators")
set(CPACK_PACKAGE_VENDOR "Brightmoor")
set(CPACK_PACKAGE_CONTACT "Brightmoor <support@brightmoor.example>")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Lookwell and Pacewell: configurators for the KRN-735 monitor and scanner modules")
set(CPACK_PACKAGE_DESCRIPTION
    "Desktop configurators (lookwell, pacewell) for the ControlLogix modules that bridge a\n\
KRN-735 serial rack I/O network, their command-line companions (lookwell-cli,\n\
pacewell-cli) and krnsim, a simulated ControlLogix chassis for tests and training.")
set(CPACK_DEBIAN_PACKAGE_SECTION "electronics")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# The Qt and C++ runtime dependencies, found from the installed programs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
include(CPack)
