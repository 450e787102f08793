# The "newer" program of the hand-over tests: the real program with the
# next patch version.
math(EXPR _next_patch "${PROJECT_VERSION_PATCH} + 1")
set(_next_version "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${_next_patch}")
if(NOT TARGET pryx_next)
  add_executable(pryx_next ${CMAKE_SOURCE_DIR}/core/main.cpp)
  target_link_libraries(pryx_next PRIVATE pryx_libs)
  target_compile_definitions(pryx_next PRIVATE PRYX_VERSION="${_next_version}" QT_NO_CAST_FROM_BYTEARRAY)
  set_target_properties(pryx_next PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
endif()
add_dependencies(${TEST_TARGET} pryx_next audiolib)
target_link_libraries(${TEST_TARGET} PRIVATE QuaZip::QuaZip)
target_compile_definitions(${TEST_TARGET} PRIVATE
  PRYX_NEXT_PROGRAM="$<TARGET_FILE:pryx_next>"
  PRYX_NEXT_VERSION="${_next_version}"
  PRYX_AUDIOLIB="${CMAKE_BINARY_DIR}/bin/audiolib.so")
set_tests_properties(${TEST_NAME} PROPERTIES TIMEOUT 240)
