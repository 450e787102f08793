# Types into its own window.
set_tests_properties(${TEST_NAME} PROPERTIES RESOURCE_LOCK x11_input TIMEOUT 120)
