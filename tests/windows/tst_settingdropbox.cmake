set_tests_properties(${TEST_NAME} PROPERTIES RESOURCE_LOCK "x11_input;dropbox_port_6609" TIMEOUT 120)
