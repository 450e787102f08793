# Real wheel buttons on the shared display.
set_tests_properties(${TEST_NAME} PROPERTIES RESOURCE_LOCK "x11_input")
