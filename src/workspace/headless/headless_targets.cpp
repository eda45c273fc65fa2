#include "workspace/headless/headless_targets.h"

#include <unistd.h>

namespace marlin {

std::string HeadlessTargets::FolderProblem(const std::string& file, const char* option) {
    if (file.empty()) return {};
    std::filesystem::path folder = std::filesystem::path(file).parent_path();
    if (folder.empty()) folder = ".";
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error))
        return std::string(option) + " " + file + ": the folder " + folder.string() + " does not exist";
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        return std::string(option) + " " + file + ": the folder " + folder.string() + " is not writable";
    return {};
}

std::string HeadlessTargets::Problem(const HeadlessCommand& command) {
    using Kind = HeadlessCommand::Kind;
    const bool rewritesTable = command.kind == Kind::Update || command.kind == Kind::Continue;
    const std::string out = command.out.empty() && rewritesTable ? command.subject : command.out;
    std::string problem = FolderProblem(out, "--out");
    if (problem.empty()) problem = FolderProblem(command.archive, "--archive");
    return problem;
}

std::filesystem::path HeadlessTargets::Archive(const std::string& named) {
    if (named.empty()) return {};
    std::error_code error;
    if (!std::filesystem::is_symlink(named, error)) return named;
    const std::filesystem::path target = std::filesystem::weakly_canonical(named, error);
    return error ? std::filesystem::path(named) : target;
}

}  // namespace marlin
