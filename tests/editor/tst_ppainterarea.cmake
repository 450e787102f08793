set_tests_properties(${TEST_NAME} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/support/tsan-qt.supp" TIMEOUT 60)
