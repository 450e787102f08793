# Shows full-screen windows and clicks through XTest: alone on the display.
set_tests_properties(${TEST_NAME} PROPERTIES TIMEOUT 180 RESOURCE_LOCK x11_input RUN_SERIAL TRUE)
