# End-to-end tests of faults (a lost server, a failing liftaide, unusual script files and inputs)
# and of the exit-status contract: every way a run can end, with its status.
target_sources(schemalift_e2e_tests PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/fault_input_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/fault_liftaide_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/fault_script_file_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/fault_server_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/exit_status_test.cpp)
