# The Debian package, built by CPack (cpack -G DEB in build/linux): the
# command, the dialog where it was built, and everything they install, under
# /usr. ICU is named by hand, as the command opens it at run time; the
# packaging tools find the rest.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brindle)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "Brindle developers <brindle@example.com>")
# The synopsis, then the text: CPack indents each line as Debian asks.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "add a text to the start or the end of file names, or take it off
Brindle renames files and folders by adding a piece of text, the affix, to
the start or the end of each name, or by taking it off again where it is
there already, so a second run undoes the first. The affix may hold date
and time tags.

The package holds the command line, brindle, and a small window that
renames the files dropped on it, brindle-dialog, with the file managers'
send-to entries. Nothing is ever replaced: a name that is taken stays
taken.")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
string(REGEX MATCH "^[0-9]+" icu_major "${ICU_VERSION}")
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libicu${icu_major}")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libnotify-bin")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/package)
# What Debian asks of every package's documentation: the copyright and a
# changelog, compressed the same way every build.
install(FILES ${PROJECT_SOURCE_DIR}/linux/share/doc/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/changelog.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/linux/share/doc/changelog ${CMAKE_BINARY_DIR}
    COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/changelog
    DEPENDS ${PROJECT_SOURCE_DIR}/linux/share/doc/changelog)
add_custom_target(brindle_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
include(CPack)
