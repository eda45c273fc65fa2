# Writes OUTPUT: a source file defining marlin::StopWordData over the stop word files of
# DATA_DIR (<language>.txt), each as a raw string literal.
file(GLOB lists "${DATA_DIR}/*.txt")
set(body "#include \"workspace/export/stop_word_data.h\"\n\nnamespace marlin {\n\n")
string(APPEND body "std::string_view StopWordData(const std::string& language) {\n")
foreach(list IN LISTS lists)
    get_filename_component(language "${list}" NAME_WE)
    file(READ "${list}" words)
    string(APPEND body "    if (language == \"${language}\") return R\"marlin(${words})marlin\";\n")
endforeach()
string(APPEND body "    return {};\n}\n\n}  // namespace marlin\n")
file(WRITE "${OUTPUT}.new" "${body}")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
