# The Windows build: the manifest in the programs, the install rules and the ZIP package.
# Included by the top-level CMakeLists.txt after the targets exist.

# The manifest makes UTF-8 the ANSI code page of schemalift.exe (cmake/windows/schemalift.manifest).
set(SCHEMALIFT_WINDOWS_RESOURCE ${CMAKE_CURRENT_LIST_DIR}/windows/schemalift.rc)
set_property(SOURCE ${SCHEMALIFT_WINDOWS_RESOURCE} APPEND PROPERTY OBJECT_DEPENDS
  ${CMAKE_CURRENT_LIST_DIR}/windows/schemalift.manifest)
target_sources(schemalift PRIVATE ${SCHEMALIFT_WINDOWS_RESOURCE})

# The demo's liftaide uses the POSIX name of the thread-safe local time, which mingw-w64 declares
# on request.
target_compile_definitions(liftaide_demo PRIVATE _POSIX_THREAD_SAFE_FUNCTIONS)

# The package holds the program, the README and the manual page as text with CR LF line ends,
# at the top of its folder: cpack -G ZIP makes schemalift-<version>-win64.zip.
find_program(SCHEMALIFT_GROFF groff REQUIRED)
set(readme_text ${CMAKE_CURRENT_BINARY_DIR}/README.txt)
set(manual_text ${CMAKE_CURRENT_BINARY_DIR}/schemalift.txt)
add_custom_command(
  OUTPUT ${readme_text}
  COMMAND sed -e "s/$/\\r/" ${PROJECT_SOURCE_DIR}/README.md > ${readme_text}
  DEPENDS ${PROJECT_SOURCE_DIR}/README.md VERBATIM)
add_custom_command(
  OUTPUT ${manual_text}
  COMMAND sh -c "${SCHEMALIFT_GROFF} -t -man -Tascii -P-c -P-b -P-o -P-u \"$0\" | sed -e 's/$/\\r/' > \"$1\""
          ${PROJECT_SOURCE_DIR}/doc/schemalift.1 ${manual_text}
  DEPENDS ${PROJECT_SOURCE_DIR}/doc/schemalift.1 VERBATIM)
add_custom_target(schemalift_windows_texts ALL DEPENDS ${readme_text} ${manual_text})

install(TARGETS schemalift RUNTIME DESTINATION . COMPONENT windows)
install(FILES ${readme_text} ${manual_text} DESTINATION . COMPONENT windows)

set(CPACK_PACKAGE_NAME schemalift)
set(CPACK_PACKAGE_VENDOR "Halvik, Inc.")
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME schemalift-${PROJECT_VERSION}-win64)
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL windows)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_STRIP_FILES ON)
include(CPack)
