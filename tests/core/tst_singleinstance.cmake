# Real pryx processes, several at a time.
set_tests_properties(${TEST_NAME} PROPERTIES TIMEOUT 240)
