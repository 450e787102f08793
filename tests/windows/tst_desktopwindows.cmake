# Its own Xorg server with openbox, trayer and xcompmgr; a real pryx as the
# child and the HTTPS stand-in for its uploads.
set_tests_properties(${TEST_NAME} PROPERTIES TIMEOUT 600)
