# The child program of the start-up tests (tests/core/drivers/coredriver.cpp).
# Included by the .cmake files of the tests that run it.
if(NOT TARGET pryx_coredriver)
  add_executable(pryx_coredriver ${CMAKE_SOURCE_DIR}/tests/core/drivers/coredriver.cpp)
  target_link_libraries(pryx_coredriver PRIVATE pryx_libs pryx_warnings)
  set_target_properties(pryx_coredriver PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
endif()
add_dependencies(${TEST_TARGET} pryx_coredriver)
target_compile_definitions(${TEST_TARGET} PRIVATE PRYX_CORE_DRIVER="$<TARGET_FILE:pryx_coredriver>")
