# Speed of the service emulator: producing and serving a full search page and a full timeline page.
if(TARGET marlin_emulator)
    add_executable(bench_emulator ${CMAKE_CURRENT_SOURCE_DIR}/bench_emulator.cpp)
    target_link_libraries(bench_emulator PRIVATE marlin_emulator marlin_common)
endif()
