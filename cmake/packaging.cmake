# What `cmake --install` puts where, and the packages CPack makes of it: Quintrel, its man
# page and its documents, never the stand-in encoder, the benchmark helpers or the tests.
set(CPACK_PACKAGE_NAME Quintrel)
set(CPACK_PACKAGE_VENDOR "The Quintrel developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "batch converter of WAV files to Homeworld II AIFR")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_GENERATOR "")

if(WIN32)
  # One folder to unpack beside enc.exe; the texts with Windows line ends.
  foreach(text README.md:README.txt LICENSE:LICENSE.txt)
    string(REPLACE ":" ";" text ${text})
    list(GET text 0 from)
    list(GET text 1 to)
    file(READ ${PROJECT_SOURCE_DIR}/${from} content)
    string(REPLACE "\r\n" "\n" content "${content}")
    string(REPLACE "\n" "\r\n" content "${content}")
    file(WRITE ${PROJECT_BINARY_DIR}/${to} "${content}")
  endforeach()
  install(TARGETS Quintrel RUNTIME DESTINATION .)
  install(FILES ${PROJECT_BINARY_DIR}/README.txt ${PROJECT_BINARY_DIR}/LICENSE.txt DESTINATION .)

  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CPACK_PACKAGE_FILE_NAME Quintrel-${PROJECT_VERSION}-win64)
  else()
    set(CPACK_PACKAGE_FILE_NAME Quintrel-${PROJECT_VERSION}-win32)
  endif()
  set(CPACK_GENERATOR ZIP)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  include(GNUInstallDirs)
  # The man page and the changelog are installed compressed, as Debian's policy asks; -n
  # keeps the name and time out of the gzip header.
  set(man_page ${PROJECT_BINARY_DIR}/packaging/Quintrel.1)
  set(changelog ${PROJECT_BINARY_DIR}/packaging/changelog)
  foreach(pair doc/Quintrel.1:${man_page} packaging/changelog:${changelog})
    string(REPLACE ":" ";" pair ${pair})
    list(GET pair 0 from)
    list(GET pair 1 to)
    add_custom_command(OUTPUT ${to}.gz
      COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/${from} ${to}
      COMMAND gzip -9nf ${to}
      DEPENDS ${PROJECT_SOURCE_DIR}/${from}
      VERBATIM)
  endforeach()
  add_custom_target(compressed_documents ALL DEPENDS ${man_page}.gz ${changelog}.gz)

  set(doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/quintrel)
  install(TARGETS Quintrel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${man_page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES README.md LICENSE packaging/copyright ${changelog}.gz DESTINATION ${doc_dir})

  set(CPACK_PACKAGE_FILE_NAME Quintrel-${PROJECT_VERSION}-Linux-${CMAKE_SYSTEM_PROCESSOR})
  set(CPACK_GENERATOR DEB TGZ)
  set(CPACK_DEBIAN_PACKAGE_NAME quintrel)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION sound)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS wine)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Quintrel developers <quintrel@example.org>")
  # The summary above is the first line; this is the rest.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Quintrel converts a batch of WAV PCM files into Homeworld II AIFR files by
running the Relic AIFR encoder, enc.exe, once per file, one file at a time.
It collects the files that a name or wildcard mask matches, announces each
with a coloured progress line and waits for the encoder before the next.
.
Masks match as the Windows directory search matches them. A Windows
enc.exe is run through Wine. The encoder itself is not included.")
endif()

include(CPack)
