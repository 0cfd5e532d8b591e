# Install layout, included at the end of the top-level CMakeLists.txt.
#
# The application finds its libraries and tools beside its own resolved path
# (/proc/self/exe), so all of them live together in a private folder and PATH
# gets a relative symlink to the application.

include(GNUInstallDirs)

set(LUMORA_ID io.github.lumora.Lumora)
set(LUMORA_PRIVATE_DIR ${CMAKE_INSTALL_LIBDIR}/lumora)

# The luminance tool is fixed at build time; a relative path (the default, lumora-ddc) is the
# one installed beside the application.
if(IS_ABSOLUTE "${LUMORA_M1DDC_PATH}")
    message(STATUS "Lumora: installed lumora will run ${LUMORA_M1DDC_PATH}, not the lumora-ddc "
        "installed beside it")
endif()

# Only system libraries are needed at run time: no RPATH in installed files.
set_target_properties(lumora DisplayServices PROPERTIES INSTALL_RPATH "")
install(TARGETS lumora RUNTIME DESTINATION ${LUMORA_PRIVATE_DIR})
install(TARGETS DisplayServices LIBRARY DESTINATION ${LUMORA_PRIVATE_DIR})
if(LUMORA_DDC_TOOLS)
    set_target_properties(panelctl lumora-ddc lumora-ddcutil PROPERTIES INSTALL_RPATH "")
    install(TARGETS panelctl lumora-ddc RUNTIME DESTINATION ${LUMORA_PRIVATE_DIR})
    install(TARGETS lumora-ddcutil LIBRARY DESTINATION ${LUMORA_PRIVATE_DIR})
endif()

file(RELATIVE_PATH lumora_link_target
    /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${LUMORA_PRIVATE_DIR}/lumora)
set(lumora_link ${CMAKE_BINARY_DIR}/packaging/lumora)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/packaging)
file(CREATE_LINK ${lumora_link_target} ${lumora_link} SYMBOLIC)
install(FILES ${lumora_link} DESTINATION ${CMAKE_INSTALL_BINDIR})

set(LUMORA_DATA_DIR ${CMAKE_CURRENT_LIST_DIR}/../data)
install(FILES ${LUMORA_DATA_DIR}/lumora.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${LUMORA_DATA_DIR}/${LUMORA_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${LUMORA_DATA_DIR}/lumora.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# PNG sizes are rendered from the SVG so they can never drift from it.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
set(lumora_pngs)
foreach(size 16 24 32 48 64 128 256)
    set(png ${CMAKE_BINARY_DIR}/packaging/icons/${size}x${size}/lumora.png)
    add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging/icons/${size}x${size}
        COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${LUMORA_DATA_DIR}/lumora.svg
        DEPENDS ${LUMORA_DATA_DIR}/lumora.svg VERBATIM)
    list(APPEND lumora_pngs ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(lumora-icons ALL DEPENDS ${lumora_pngs})

# Debian wants man pages and changelogs compressed with gzip -9n.
# lumora_gzip(file): ${CMAKE_BINARY_DIR}/packaging/<name of file>.gz
function(lumora_gzip file)
    get_filename_component(name ${file} NAME)
    set(copy ${CMAKE_BINARY_DIR}/packaging/${name})
    add_custom_command(OUTPUT ${copy}.gz
        COMMAND ${CMAKE_COMMAND} -E copy ${file} ${copy}
        COMMAND gzip -9nf ${copy}
        DEPENDS ${file} VERBATIM)
    add_custom_target(lumora-gzip-${name} ALL DEPENDS ${copy}.gz)
endfunction()
lumora_gzip(${LUMORA_DATA_DIR}/lumora.1)
install(FILES ${CMAKE_BINARY_DIR}/packaging/lumora.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
lumora_gzip(${LUMORA_DATA_DIR}/lumora.zh_CN.1)
install(FILES ${CMAKE_BINARY_DIR}/packaging/lumora.zh_CN.1.gz
    DESTINATION ${CMAKE_INSTALL_MANDIR}/zh_CN/man1 RENAME lumora.1.gz)

# udev and systemd read these below the prefix's lib/, never the multiarch libdir.
install(FILES ${LUMORA_DATA_DIR}/60-lumora-i2c.rules DESTINATION lib/udev/rules.d)
install(FILES ${LUMORA_DATA_DIR}/lumora-i2c.conf DESTINATION lib/modules-load.d)
