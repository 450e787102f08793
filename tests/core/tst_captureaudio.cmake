add_dependencies(${TEST_TARGET} audiolib)
