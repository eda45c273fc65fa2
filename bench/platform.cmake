# The report list at the size of a full tweet table: fill, sort, filter, memory.
add_executable(bench_platform ${CMAKE_CURRENT_SOURCE_DIR}/bench_platform.cpp)
target_link_libraries(bench_platform PRIVATE marlin_platform)

# The same table seen through the Qt view on the offscreen platform: a view of 200,000
# rows must stay responsive while rows arrive, sort and scroll.
if(TARGET marlin_qt)
    add_executable(bench_platform_qt ${CMAKE_CURRENT_SOURCE_DIR}/bench_platform_qt.cpp)
    target_link_libraries(bench_platform_qt PRIVATE marlin_qt)
endif()
