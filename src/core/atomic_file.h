#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace marlin {

// Writes a file so that no failure part-way can destroy an earlier one: the bytes go to a
// temporary file made with mkstemp in the target's folder (so the rename cannot cross file
// systems, and a link planted at a guessable temporary name is never followed), which is
// flushed to disk and then renamed over the target. Until Commit succeeds the target is
// untouched; a writer destroyed without a commit removes its temporary file.
//
// The finished file keeps an existing target's permission bits; a new file gets what a
// plain create would give (0666 less the umask), unless a fixed mode is asked for (the
// credentials file is always owner-only).
//
// The writer holds a lock on its temporary file for as long as it lives. A temporary file
// that nobody holds is a leftover of a writer that was killed (kill -9, a power cut):
// SweepLeftovers removes such files, never one another writer is still filling.
class AtomicFile {
  public:
    explicit AtomicFile(std::filesystem::path target, std::optional<mode_t> fixedMode = std::nullopt);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // False once any step has failed; every later step then does nothing.
    bool Good() const { return m_fd >= 0 && m_good; }
    // Appends bytes, going on after short writes and interruptions.
    bool Append(std::string_view bytes);
    // Sets the mode, flushes, closes and renames over the target. False when any step
    // failed; the temporary file is then removed and the target left as it was.
    bool Commit();

    // The temporary file, for a library that writes a file by name (the workbook writer):
    // it opens and truncates the same file, and Commit then renames it. Empty when no
    // temporary file could be made.
    const std::string& TemporaryPath() const { return m_temporary; }

    // Removes the temporary files in folder that a writer left behind when it was killed:
    // hidden files of this process's owner named as ours (".t.xlsx.XXXXXX", the name one of
    // the program's kinds of file) that no living writer holds. The number removed.
    static int SweepLeftovers(const std::filesystem::path& folder);

    // The whole file at once.
    static bool Write(const std::filesystem::path& target, std::string_view bytes,
                      std::optional<mode_t> fixedMode = std::nullopt);

  private:
    mode_t FinalMode() const;
    void Discard();

    std::filesystem::path m_target;
    std::string m_temporary;
    std::optional<mode_t> m_fixedMode;
    int m_fd = -1;
    bool m_good = true;
};

}  // namespace marlin
