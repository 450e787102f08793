# Its own Xorg server with openbox and trayer; real pryx processes as children.
set_tests_properties(${TEST_NAME} PROPERTIES TIMEOUT 300)
