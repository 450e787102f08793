add_dependencies(${TEST_TARGET} audiolib)
set_tests_properties(${TEST_NAME} PROPERTIES TIMEOUT 60 ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
