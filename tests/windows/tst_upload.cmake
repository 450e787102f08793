# Clicks into its own windows.
set_tests_properties(${TEST_NAME} PROPERTIES RESOURCE_LOCK x11_input)
