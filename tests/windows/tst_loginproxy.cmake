# Types into its own window; starts its stand-ins, tinyproxy and a firewall
# rule in a network namespace of its own.
set_tests_properties(${TEST_NAME} PROPERTIES TIMEOUT 180)
