# Shows a full-screen window and clicks into it: alone on the display.
set_tests_properties(${TEST_NAME} PROPERTIES TIMEOUT 120 RESOURCE_LOCK x11_input RUN_SERIAL TRUE)
