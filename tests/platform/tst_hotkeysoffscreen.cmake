set_tests_properties(${TEST_NAME} PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
# Drives the hotkey wiring of the keyboard hook object.
target_link_libraries(${TEST_TARGET} PRIVATE pryx_libs)
