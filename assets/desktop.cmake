# The Linux desktop entry and its icon. The icon is rendered from icon/vantor.svg with
# rsvg-convert at the usual theme sizes; the desktop file is written at install time, when the
# folder the game lands in is known, so its Exec and Icon lines name the installed files.
#
#   icon/vantor.svg    -> <build>/icons/<n>x<n>/vantor.png -> <prefix>/share/icons/hicolor/<n>x<n>/apps/
#                         and as is to <prefix>/share/icons/hicolor/scalable/apps/vantor.svg
#   vantor.desktop.in  -> <prefix>/share/applications/vantor.desktop

find_program(VANTOR_RSVG_CONVERT rsvg-convert)
set(VANTOR_ICON_SOURCE ${CMAKE_CURRENT_LIST_DIR}/icon/vantor.svg)
set(VANTOR_ICON_SIZES 32 48 64 128 256)
set(_vantor_icons "")
foreach(size ${VANTOR_ICON_SIZES})
    set(dir ${CMAKE_BINARY_DIR}/icons/${size}x${size})
    set(icon ${dir}/vantor.png)
    if(VANTOR_RSVG_CONVERT)
        add_custom_command(OUTPUT ${icon}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
            COMMAND ${VANTOR_RSVG_CONVERT} --format=png --width=${size} --height=${size}
                    --output=${icon}.part ${VANTOR_ICON_SOURCE}
            COMMAND ${CMAKE_COMMAND} -E rename ${icon}.part ${icon}
            DEPENDS ${VANTOR_ICON_SOURCE}
            COMMENT "Rendering the ${size} x ${size} desktop icon"
            VERBATIM)
        list(APPEND _vantor_icons ${icon})
        install(FILES ${icon} DESTINATION share/icons/hicolor/${size}x${size}/apps)
    endif()
endforeach()
add_custom_target(desktop_icons ALL DEPENDS ${_vantor_icons})
install(FILES ${VANTOR_ICON_SOURCE} DESTINATION share/icons/hicolor/scalable/apps)

# The install prefix is only known when `cmake --install --prefix` runs, so the file is made then.
install(CODE "
    set(VANTOR_INSTALL_DIR \"\${CMAKE_INSTALL_PREFIX}\")
    set(_vantor_desktop \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/share/applications/vantor.desktop\")
    message(STATUS \"Installing: \${_vantor_desktop}\")
    configure_file(\"${CMAKE_CURRENT_LIST_DIR}/vantor.desktop.in\" \"\${_vantor_desktop}\" @ONLY)
")
