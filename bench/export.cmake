# The exports and the chart at the size of a full tweet table (200,000 rows): the time
# buckets with the chart's series built on the offscreen platform, the GraphML network and
# the CSV file.
if(TARGET marlin_ui)
    add_executable(bench_export ${CMAKE_CURRENT_SOURCE_DIR}/bench_export.cpp)
    target_link_libraries(bench_export PRIVATE marlin_ui)
endif()
