set_tests_properties(${TEST_NAME} PROPERTIES TIMEOUT 120)
