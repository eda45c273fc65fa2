# The main window's tweet side at full size: a 200,000-row tweet table file and a
# 45,000-tweet search from the emulator, scorer included.
if(TARGET marlin_emulator)
    add_executable(bench_workspace ${CMAKE_CURRENT_SOURCE_DIR}/bench_workspace.cpp)
    target_link_libraries(bench_workspace PRIVATE marlin_workspace marlin_emulator marlin_platform_testing)
    target_compile_definitions(bench_workspace PRIVATE MARLIN_APP_FOLDER="${MARLIN_APP_FOLDER}")
    if(TARGET marlin_scorer)
        add_dependencies(bench_workspace marlin_scorer)
    endif()
endif()
