include(${CMAKE_SOURCE_DIR}/tests/support/coredriver.cmake)
