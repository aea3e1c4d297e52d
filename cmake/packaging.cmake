# Installed files beyond the programs, and `make package`'s Debian package (CPack).
if(VARNEL_CORE_ONLY)
  return()
endif()

# The Windows installer: `make package` runs makensis on the cross-built program.
if(WIN32)
  find_program(VARNEL_MAKENSIS makensis)
  if(VARNEL_MAKENSIS AND TARGET varnel)
    set(VARNEL_SETUP ${CMAKE_BINARY_DIR}/varnel-${PROJECT_VERSION}-setup.exe)
    add_custom_command(OUTPUT ${VARNEL_SETUP}
      COMMAND ${VARNEL_MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DBUILD_DIR=${CMAKE_BINARY_DIR}
              -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DOUT_FILE=${VARNEL_SETUP}
              ${CMAKE_SOURCE_DIR}/packaging/windows/varnel.nsi
      DEPENDS varnel ${CMAKE_SOURCE_DIR}/packaging/windows/varnel.nsi ${CMAKE_SOURCE_DIR}/LICENSE)
    add_custom_target(installer ALL DEPENDS ${VARNEL_SETUP})
  endif()
  return()
endif()

set(VARNEL_APP_ID io.github.varnel.Varnel)

install(FILES data/varnel.desktop data/varnel-listen.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES src/adapters/x11/resources/icon.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME varnel.svg)

# PNG icons for menus and software centres that do not draw SVG, rendered by Qt Svg.
find_package(Qt6 QUIET COMPONENTS Gui Svg)
if(TARGET Qt6::Svg)
  add_executable(varnel_render_icon packaging/linux/render_icon.cpp)
  target_link_libraries(varnel_render_icon PRIVATE Qt6::Gui Qt6::Svg)
  set(VARNEL_ICON_PNGS "")
  foreach(size 16 24 32 48 64 128 256)
    set(png ${CMAKE_BINARY_DIR}/icons/${size}/varnel.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}
      COMMAND varnel_render_icon ${CMAKE_SOURCE_DIR}/src/adapters/x11/resources/icon.svg ${size} ${png}
      DEPENDS varnel_render_icon ${CMAKE_SOURCE_DIR}/src/adapters/x11/resources/icon.svg)
    list(APPEND VARNEL_ICON_PNGS ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  add_custom_target(varnel_icons ALL DEPENDS ${VARNEL_ICON_PNGS})
endif()

# Man pages, compressed as Debian wants them.
find_program(VARNEL_GZIP gzip)
foreach(page varnel.1 varnel-listen.1)
  configure_file(data/man/${page} ${CMAKE_BINARY_DIR}/man/${page} @ONLY)
  set(gz ${CMAKE_BINARY_DIR}/man/${page}.gz)
  add_custom_command(OUTPUT ${gz}
    COMMAND ${VARNEL_GZIP} -9nc ${CMAKE_BINARY_DIR}/man/${page} > ${gz}
    DEPENDS ${CMAKE_BINARY_DIR}/man/${page})
  list(APPEND VARNEL_MAN_PAGES ${gz})
  install(FILES ${gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

configure_file(data/varnel.metainfo.xml ${CMAKE_BINARY_DIR}/${VARNEL_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/${VARNEL_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

configure_file(packaging/linux/changelog ${CMAKE_BINARY_DIR}/changelog @ONLY)
set(VARNEL_CHANGELOG ${CMAKE_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${VARNEL_CHANGELOG}
  COMMAND ${VARNEL_GZIP} -9nc ${CMAKE_BINARY_DIR}/changelog > ${VARNEL_CHANGELOG}
  DEPENDS ${CMAKE_BINARY_DIR}/changelog)
add_custom_target(varnel_docs ALL DEPENDS ${VARNEL_MAN_PAGES} ${VARNEL_CHANGELOG})
install(FILES packaging/linux/copyright ${VARNEL_CHANGELOG}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/varnel)

# varnel-listen's systemd user unit, off until the user enables it. ExecStart needs the
# program's full path, known only at install time (`cmake --install --prefix` may move it).
install(CODE "
  set(unit_dir \"\${CMAKE_INSTALL_PREFIX}/lib/systemd/user\")
  if(DEFINED ENV{HOME} AND \"\${CMAKE_INSTALL_PREFIX}\" MATCHES \"^\$ENV{HOME}/\")
    set(unit_dir \"\${CMAKE_INSTALL_PREFIX}/share/systemd/user\")
  endif()
  set(VARNEL_LISTEN_BIN \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/varnel-listen\")
  configure_file(\"${CMAKE_SOURCE_DIR}/data/varnel-listen.service\"
                 \"${CMAKE_BINARY_DIR}/unit/varnel-listen.service\" @ONLY)
  file(INSTALL DESTINATION \"\${unit_dir}\" TYPE FILE
       FILES \"${CMAKE_BINARY_DIR}/unit/varnel-listen.service\")
")

# The Debian package: `make package` builds it from a release build.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME varnel)
set(CPACK_PACKAGE_VENDOR "The Varnel developers")
set(CPACK_PACKAGE_CONTACT "The Varnel developers <varnel@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "web search from whatever application you are in")
set(CPACK_PACKAGE_DESCRIPTION
  "Varnel is a resident desktop utility that puts a web-search window in front of
whatever application you work in: press Ctrl+Alt+/, type or dictate your terms,
pick a scope and a date range and press Enter, and the search opens in your
default browser. Forty voice commands, heard by the offline recogniser
varnel-listen, drive the window and the browser.")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the libraries' own dependencies do not bring: Qt's X11 platform plugin and the
# recogniser's acoustic model.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, pocketsphinx-en-us")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, fonts-noto-core, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
