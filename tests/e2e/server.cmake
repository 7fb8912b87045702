# End-to-end tests of settings discovery, the connection, the SQL Server recovery model switch and
# the server checks. They reach SQL Server and Oracle through the scripted ODBC driver.
if(TARGET scripted_odbc_driver AND TARGET scripted_odbc_testkit)
  target_sources(schemalift_e2e_tests PRIVATE
    ${CMAKE_CURRENT_SOURCE_DIR}/scripted_e2e.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/settings_discovery_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/settings_driver_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/connection_scripted_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/recovery_mode_guard_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/recovery_mode_validation_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/server_checks_mssql_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/server_checks_oracle_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/server_checks_jobs_test.cpp)
  target_link_libraries(schemalift_e2e_tests PRIVATE scripted_odbc_testkit)
endif()
