set_tests_properties(${TEST_NAME} PROPERTIES RESOURCE_LOCK dropbox_port_6609 TIMEOUT 120)
