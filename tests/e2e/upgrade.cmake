# End-to-end tests of the upgrade run.
target_sources(schemalift_e2e_tests PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/upgrade_e2e.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/upgrade_postgresql_test.cpp)
# The SQL Server and Oracle runs go through the scripted ODBC driver and read its journal.
if(TARGET scripted_odbc_driver AND TARGET scripted_odbc_testkit)
  target_sources(schemalift_e2e_tests PRIVATE
    ${CMAKE_CURRENT_SOURCE_DIR}/upgrade_scripted_test.cpp)
  target_link_libraries(schemalift_e2e_tests PRIVATE scripted_odbc_testkit)
endif()
