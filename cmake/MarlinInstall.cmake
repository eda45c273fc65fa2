# Where `cmake --install` puts the program, and the Debian package made of the same tree
# (`cpack -G DEB` in the build folder, or scripts/package.sh).
#
# Only the program and what it needs at run time are installed: the tests, the emulator, the
# benchmarks and the static libraries of the floors stay in the build folder.
include(GNUInstallDirs)

set(MARLIN_INSTALL_NAME marlin-skimmer)
# The scorer that comes with the program; the program looks for it here, relative to its
# own folder, when the program folder holds none (see ProgramFolder).
set(MARLIN_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/${MARLIN_INSTALL_NAME})
set(MARLIN_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/${MARLIN_INSTALL_NAME})

if(TARGET marlin-skimmer)
    install(TARGETS marlin-skimmer RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/marlin-skimmer.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/marlin-skimmer.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()
# The command-line program, for servers and schedulers: it needs no Qt.
install(TARGETS marlin-skimmer-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET marlin_scorer)
    install(FILES ${MARLIN_APP_FOLDER}/bin/support.dll DESTINATION ${MARLIN_INSTALL_DATADIR}/bin)
    install(FILES ${MARLIN_APP_FOLDER}/SentiStrengthData/lexicon.txt
            DESTINATION ${MARLIN_INSTALL_DATADIR}/SentiStrengthData)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${MARLIN_INSTALL_DOCDIR})
install(FILES ${PROJECT_SOURCE_DIR}/docs/main-window.png ${PROJECT_SOURCE_DIR}/docs/chart.png
        DESTINATION ${MARLIN_INSTALL_DOCDIR}/docs)

# ---- The Debian package
set(MARLIN_PACKAGE_MAINTAINER "Marlin Skimmer developers <marlin-skimmer@example.org>"
    CACHE STRING "The Maintainer field of the Debian package")

set(CPACK_PACKAGE_NAME ${MARLIN_INSTALL_NAME})
set(CPACK_PACKAGE_VENDOR "Marlin Skimmer developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Twitter REST API v1.1 data capture for social-science research")
set(CPACK_PACKAGE_CONTACT ${MARLIN_PACKAGE_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_NAME ${MARLIN_INSTALL_NAME})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${MARLIN_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "A desktop program that captures data from the Twitter REST API (v1.1) and prepares it
for analysis: search retrieval back to a threshold date and later updates, user
timelines, follower and friend lists, profile look-ups into user tables with
behavioural statistics, and tab-separated table files that other research tools read.

Tweets are scored for positive and negative sentiment by an outside Java scorer;
a small stand-in scorer comes with the package and needs a Java runtime.")
# The Qt, libcurl and C++ library versions come from the binary itself (dpkg-shlibdeps);
# the platform plugins that let Qt open a window on a desktop are not linked, so they are
# named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# The scorer is a Java program; without a runtime the sentiment columns stay at 0.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "default-jre-headless | java11-runtime-headless")

include(CPack)
