# Starts its own Xorg server (dummy driver) with three monitors.
set_tests_properties(${TEST_NAME} PROPERTIES TIMEOUT 120)
