# Installation and the Debian package.
#
# The program finds its cursor and sample database in its own folder, so the three live together
# in ${TABULANT_INSTALL_PROGRAM_DIR} (/usr/lib/tabulant); /usr/bin/tabulant is a symbolic link to
# the program, which resolves its folder through /proc/self/exe.
include(GNUInstallDirs)

set(TABULANT_INSTALL_PROGRAM_DIR lib/tabulant CACHE STRING
    "Folder (below the prefix) holding the program, HAND-M.CUR and Samples/")

install(TARGETS tabulant RUNTIME DESTINATION ${TABULANT_INSTALL_PROGRAM_DIR})
# The terminal command needs nothing beside it.
install(TARGETS tabulant-convert RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/HAND-M.CUR DESTINATION ${TABULANT_INSTALL_PROGRAM_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/tabulant.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/tabulant.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)

# The link is made once in the build tree and installed as a link (relative, so that it works
# under any prefix and inside the package's staging folder).
file(RELATIVE_PATH _tabulant_link_target /${CMAKE_INSTALL_BINDIR}
     /${TABULANT_INSTALL_PROGRAM_DIR}/tabulant)
set(_tabulant_link ${CMAKE_BINARY_DIR}/install-links/tabulant)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/install-links)
file(CREATE_LINK ${_tabulant_link_target} ${_tabulant_link} SYMBOLIC)
install(FILES ${_tabulant_link} DESTINATION ${CMAKE_INSTALL_BINDIR})

# Manual pages and the package's changelog go in compressed as Debian wants them (gzip -9 without
# a name or time stamp, so that the same sources give the same package); the copyright file as
# it is.
set(_tabulant_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/tabulant)
set(_tabulant_gz)
foreach(_source docs/man/tabulant.1 docs/man/tabulant-convert.1 packaging/changelog)
    get_filename_component(_name ${_source} NAME)
    set(_gz ${CMAKE_BINARY_DIR}/packaging/${_name}.gz)
    add_custom_command(OUTPUT ${_gz}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
        COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/${_source} > ${_gz}
        DEPENDS ${PROJECT_SOURCE_DIR}/${_source}
        VERBATIM)
    list(APPEND _tabulant_gz ${_gz})
endforeach()
add_custom_target(tabulant_package_docs ALL DEPENDS ${_tabulant_gz})
install(FILES ${CMAKE_BINARY_DIR}/packaging/tabulant.1.gz
              ${CMAKE_BINARY_DIR}/packaging/tabulant-convert.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz ${PROJECT_SOURCE_DIR}/packaging/copyright
        DESTINATION ${_tabulant_doc_dir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tabulant)
set(CPACK_PACKAGE_VENDOR Quorvane)
set(CPACK_PACKAGE_CONTACT "Quorvane support <support@quorvane.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Copies Microsoft Access tables into PostgreSQL")
# Lines of at most 80 characters, as Debian's policy asks.
set(CPACK_PACKAGE_DESCRIPTION
    "Tabulant copies every user table of a Microsoft Access database (an .mdb or
an .accdb file, with or without a database password) into a PostgreSQL
database. The window program tabulant offers an SQL preview in which the
statements can be edited, searched and replaced, and executed with
stop-at-error; the command tabulant-convert runs the same conversion from a
terminal or a script, or writes the statements to a file for psql.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION database)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.quorvane.com/)
# Libraries the program links, the platform plugin (in libqt6gui6 on Debian), and the ODBC
# driver registered as "PostgreSQL Unicode", without which no conversion can run.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libc6 (>= 2.34), libstdc++6 (>= 12), libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), libqt6printsupport6 (>= 6.4), libsecret-1-0, libodbc2, odbcinst, odbc-postgresql, libpq5, libssl3, zlib1g")
# Texts in scripts the Liberation fonts lack (Chinese, Japanese, Korean) would show as empty
# boxes in the preview without a font that covers them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation, fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "postgresql, postgresql-client")
include(CPack)
