# Warnings and definitions shared by every target of the project.
add_library(marlin_common INTERFACE)
target_compile_features(marlin_common INTERFACE cxx_std_20)
target_compile_options(marlin_common INTERFACE -Wall -Wextra)
if(MARLIN_WERROR)
    target_compile_options(marlin_common INTERFACE -Werror)
endif()
if(MARLIN_SANITIZE)
    target_compile_options(marlin_common INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                   -fno-sanitize-recover=undefined)
    # Under the sanitizers GCC 12 warns that std::regex's own states "may be used
    # uninitialized" (its instrumented copies hide the initialisation); not ours to mend.
    target_compile_options(marlin_common INTERFACE -Wno-maybe-uninitialized)
    target_link_options(marlin_common INTERFACE -fsanitize=address,undefined)
endif()

# Adds one library floor from every source file in its folder and in the subfolders named
# after SUBFOLDERS (a floor's parts); other subfolders hold floors of their own.
#   marlin_add_floor(<target> <folder> <libs...> [SUBFOLDERS <names...>])
function(marlin_add_floor target folder)
    cmake_parse_arguments(ARG "" "" "SUBFOLDERS" ${ARGN})
    set(globs ${folder}/*.cpp)
    foreach(sub IN LISTS ARG_SUBFOLDERS)
        list(APPEND globs ${folder}/${sub}/*.cpp)
    endforeach()
    file(GLOB sources CONFIGURE_DEPENDS ${globs})
    if(sources)
        add_library(${target} STATIC ${sources})
        target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
        target_link_libraries(${target} PUBLIC marlin_common ${ARG_UNPARSED_ARGUMENTS})
    else()
        # A floor that holds no code yet still exists for the floors above it.
        add_library(${target} INTERFACE)
        target_include_directories(${target} INTERFACE ${PROJECT_SOURCE_DIR}/src)
        target_link_libraries(${target} INTERFACE marlin_common ${ARG_UNPARSED_ARGUMENTS})
    endif()
endfunction()
