# Its own Xorg server with openbox; a real pryx as the child.
set_tests_properties(${TEST_NAME} PROPERTIES TIMEOUT 300)
