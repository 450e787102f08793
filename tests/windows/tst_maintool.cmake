# Moves the mouse over its own window.
set_tests_properties(${TEST_NAME} PROPERTIES RESOURCE_LOCK x11_input)
