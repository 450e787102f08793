# Also checks the settings store's reading of the mail client.
target_link_libraries(${TEST_TARGET} PRIVATE pryx_base)
