# End-to-end tests of validation mode.
target_sources(schemalift_e2e_tests PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/validation_e2e.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/validation_host_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/validation_inventory_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/validation_run_test.cpp)
# The SQL Server and Oracle runs go through the scripted ODBC driver and read its journal.
if(TARGET scripted_odbc_driver AND TARGET scripted_odbc_testkit)
  target_sources(schemalift_e2e_tests PRIVATE
    ${CMAKE_CURRENT_SOURCE_DIR}/validation_scripted_test.cpp)
  target_link_libraries(schemalift_e2e_tests PRIVATE scripted_odbc_testkit)
endif()
