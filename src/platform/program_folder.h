#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <system_error>

namespace marlin {

// The folder the program keeps its own files in ("prefs", "appcred", the scorer's exchange
// files, and by default the scorer itself).
//
// A copy of the program in a folder of one's own, the build folder or the demo folder keeps
// everything beside the program file. An installed program sits in a folder its user cannot
// write (/usr/bin), so it keeps its files in $XDG_DATA_HOME/marlin-skimmer instead, and finds
// the scorer that came with it in <binary folder>/../share/marlin-skimmer.
class ProgramFolder {
  public:
    static constexpr const char* kName = "marlin-skimmer";

    // What the rule reads of the process environment.
    struct Environment {
        std::string xdgDataHome;  // $XDG_DATA_HOME; empty when unset
        std::string home;         // $HOME, or the account's home folder when unset
    };
    using WritableTest = std::function<bool(const std::filesystem::path& folder)>;

    // binaryFolder: the folder that holds the program file.
    ProgramFolder(std::filesystem::path binaryFolder, const Environment& environment,
                  const WritableTest& writable = IsWritableFolder);

    // The rule applied to the running program (/proc/self/exe) and the process environment.
    static ProgramFolder OfThisProgram();
    static Environment ProcessEnvironment();

    // Whether the effective user may create files in the folder: access(2) must allow it and
    // the folder's own permission bits must grant it. The superuser passes access(2) for every
    // folder, so without the bits a folder made read-only on purpose (chmod a-w) would still be
    // written when the program runs as root.
    static bool IsWritableFolder(const std::filesystem::path& folder);

    // The program folder in use.
    const std::filesystem::path& Path() const { return m_path; }
    bool BesideBinary() const { return m_path == m_binaryFolder; }
    // Where an installation keeps the files that come with the program (the scorer).
    std::filesystem::path InstalledDataFolder() const;

    // Makes the program folder when it does not exist yet; new folders are the user's alone,
    // as the folder holds the stored credentials. Nothing to do beside the binary.
    std::error_code Create() const;

    // The first folder that holds the scorer (bin/support.dll and SentiStrengthData/):
    // programFolder, else installedFolder (when not empty); programFolder when neither does,
    // so that a failed run names the folder the user can put a scorer in.
    static std::filesystem::path FindScorer(const std::filesystem::path& programFolder,
                                            const std::filesystem::path& installedFolder);
    static bool HoldsScorer(const std::filesystem::path& folder);

  private:
    std::filesystem::path m_binaryFolder;
    std::filesystem::path m_path;
};

}  // namespace marlin
