# Types into its own window.
set_tests_properties(${TEST_NAME} PROPERTIES TIMEOUT 120)
