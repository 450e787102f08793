set_tests_properties(${TEST_NAME} PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
