# Speed of the data core: the JSON scan and the parse of whole response pages.
add_executable(bench_core ${CMAKE_CURRENT_SOURCE_DIR}/bench_core.cpp)
target_link_libraries(bench_core PRIVATE marlin_core marlin_platform_testing)
target_compile_definitions(bench_core PRIVATE
    MARLIN_FIXTURES_DIR="${PROJECT_SOURCE_DIR}/tests/fixtures/twitter-v1.1")
