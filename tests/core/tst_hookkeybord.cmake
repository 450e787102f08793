# Key injection is global to the display: no other test may take the focus meanwhile.
set_tests_properties(${TEST_NAME} PROPERTIES RESOURCE_LOCK x11_input RUN_SERIAL TRUE)
