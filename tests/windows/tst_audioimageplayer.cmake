add_dependencies(${TEST_TARGET} audiolib pryx)
set_tests_properties(${TEST_NAME} PROPERTIES TIMEOUT 180)
