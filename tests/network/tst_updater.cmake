set_tests_properties(${TEST_NAME} PROPERTIES TIMEOUT 120)
target_link_libraries(${TEST_TARGET} PRIVATE ZLIB::ZLIB)
