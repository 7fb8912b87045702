# End-to-end tests of the demo set: the sample TWDB, the script set and the liftaide of demo/.
target_sources(schemalift_e2e_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/demo_test.cpp)
target_compile_definitions(schemalift_e2e_tests PRIVATE
  DEMO_LIFTAIDE="$<TARGET_FILE:liftaide_demo>")
add_dependencies(schemalift_e2e_tests liftaide_demo)
