# Installation (GNUInstallDirs), the desktop files and the Debian package.
#   cmake --install build [--prefix /usr]       installs the programs and their files
#   cpack -G DEB (in build/)                     makes zel_<version>_<arch>.deb
include(GNUInstallDirs)

set(ZEL_APP_ID "io.github.zeleditor.zel" CACHE STRING "AppStream id of the editor")
set(ZEL_HOMEPAGE_URL "https://github.com/zeleditor/zel" CACHE STRING "The project's home page")
set(ZEL_SCREENSHOT_URL "${ZEL_HOMEPAGE_URL}/raw/main/docs/screenshot.png"
    CACHE STRING "Where the screenshot of docs/screenshot.png is published")
set(ZEL_MAINTAINER "Zel developers <zel@zeleditor.github.io>" CACHE STRING
    "Maintainer field of the Debian package")
set(ZEL_RELEASE_DATE "2026-12-11")

# Where the installed editor finds its files, relative to the installation prefix; the
# program looks in <its folder>/../share/zel/..., falling back to the build tree.
set(ZEL_HELP_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/zel/help)
set(ZEL_TRANSLATIONS_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/zel/translations)

set(ZEL_DESKTOP_SOURCE ${PROJECT_SOURCE_DIR}/resources/desktop)
set(ZEL_GENERATED ${CMAKE_BINARY_DIR}/generated/share)
file(MAKE_DIRECTORY ${ZEL_GENERATED})

install(TARGETS zel-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The manual pages and the completion come from zel-cli's own option tables. Not in the
# sanitizer tree: it installs nothing, and its instrumented zel-cli need not run at build time.
if(NOT ZEL_SANITIZE)
  set(ZEL_DOCS ${ZEL_GENERATED}/zel-cli.1 ${ZEL_GENERATED}/zel.1 ${ZEL_GENERATED}/zel-cli)
  add_custom_command(OUTPUT ${ZEL_DOCS}
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:zel-cli> -DOUTPUT_DIR=${ZEL_GENERATED}
            -P ${PROJECT_SOURCE_DIR}/cmake/print_docs.cmake
    DEPENDS zel-cli ${PROJECT_SOURCE_DIR}/cmake/print_docs.cmake
    COMMENT "Writing the manual pages and the bash completion from zel-cli's options"
    VERBATIM)
  add_custom_target(zel_docs ALL DEPENDS ${ZEL_DOCS})
  install(FILES ${ZEL_GENERATED}/zel-cli.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${ZEL_GENERATED}/zel-cli
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
endif()

if(ZEL_BUILD_UI AND NOT ZEL_SANITIZE)
  install(TARGETS zel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${ZEL_GENERATED}/zel.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/help/ DESTINATION ${ZEL_HELP_INSTALL_DIR})
  install(FILES ${ZEL_DESKTOP_SOURCE}/zel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

  configure_file(${ZEL_DESKTOP_SOURCE}/zel.metainfo.xml.in
                 ${ZEL_GENERATED}/${ZEL_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${ZEL_GENERATED}/${ZEL_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

  # The icon: the drawing itself, and PNG sizes rendered from it for the desktops that want
  # them.
  find_program(ZEL_RSVG_CONVERT rsvg-convert REQUIRED)
  install(FILES ${ZEL_DESKTOP_SOURCE}/zel.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  set(ZEL_ICONS "")
  foreach(size 16 32 48 64 128 256)
    set(icon ${ZEL_GENERATED}/icons/${size}x${size}/zel.png)
    add_custom_command(OUTPUT ${icon}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${ZEL_GENERATED}/icons/${size}x${size}
      COMMAND ${ZEL_RSVG_CONVERT} -w ${size} -h ${size} -o ${icon} ${ZEL_DESKTOP_SOURCE}/zel.svg
      DEPENDS ${ZEL_DESKTOP_SOURCE}/zel.svg VERBATIM)
    list(APPEND ZEL_ICONS ${icon})
    install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  add_custom_target(zel_icons ALL DEPENDS ${ZEL_ICONS})
endif()

# The Debian package. Its dependencies on shared libraries are read from the binaries by
# dpkg-shlibdeps; Qt's plug-ins, loaded at run time, are named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Zel developers")
set(CPACK_PACKAGE_CONTACT "${ZEL_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for animated GIF images")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Zel opens GIF, BMP, JPEG and PNG pictures and animations, plays them, edits their frames, "
  "delays, colours and shape, makes new animations from pictures (effects, motion along a "
  "path, several pictures, merging) and saves animated GIF, BMP, JPEG and icon files. The "
  "command-line tool zel-cli runs the same edits without a window.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ZEL_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${ZEL_HOMEPAGE_URL}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# FFmpeg's libraries are opened when a video clip is, so dpkg-shlibdeps cannot see them:
# the packages of the major versions the program was built against.
set(ZEL_FFMPEG_PACKAGES "")
foreach(module libavformat libavcodec libswscale libavutil)
  string(REGEX MATCH "^[0-9]+" major "${FFMPEG_${module}_VERSION}")
  list(APPEND ZEL_FFMPEG_PACKAGES "${module}${major}")
endforeach()
list(JOIN ZEL_FFMPEG_PACKAGES ", " ZEL_FFMPEG_PACKAGES)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, qt6-qpa-plugins, ${ZEL_FFMPEG_PACKAGES}")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, qt6-translations-l10n")
set(CPACK_DEBIAN_COMPRESSION_TYPE gzip)
include(CPack)
