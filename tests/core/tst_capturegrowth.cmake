# Opens eighty capture surfaces on the shared display and types into them.
set_tests_properties(${TEST_NAME} PROPERTIES RESOURCE_LOCK x11_input TIMEOUT 300)
