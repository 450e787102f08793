include(${CMAKE_SOURCE_DIR}/tests/support/coredriver.cmake)
set_tests_properties(${TEST_NAME} PROPERTIES TIMEOUT 180)
