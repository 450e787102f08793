# Types into its own window; starts its stand-ins, tinyproxy and a firewall
# rule in a network namespace of its own.
set_tests_properties(${TEST_NAME} PROPERTIES RESOURCE_LOCK x11_input TIMEOUT 180)
