# The report list at the size of a full tweet table: fill, sort, filter, memory.
add_executable(bench_platform ${CMAKE_CURRENT_SOURCE_DIR}/bench_platform.cpp)
target_link_libraries(bench_platform PRIVATE marlin_platform)
