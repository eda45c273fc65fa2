# Scoring a table of tweets with the scorer stand-in, end to end.
add_executable(bench_sentiment ${CMAKE_CURRENT_SOURCE_DIR}/bench_sentiment.cpp)
target_link_libraries(bench_sentiment PRIVATE marlin_sentiment marlin_platform_testing)
target_compile_definitions(bench_sentiment PRIVATE MARLIN_APP_FOLDER="${MARLIN_APP_FOLDER}")
if(TARGET marlin_scorer)
    add_dependencies(bench_sentiment marlin_scorer)
endif()
