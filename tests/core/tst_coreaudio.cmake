add_dependencies(${TEST_TARGET} audiolib)
set_tests_properties(${TEST_NAME} PROPERTIES TIMEOUT 60 RESOURCE_LOCK pulseaudio ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
