#include "workspace/engine/searches_folder.h"

#include <sstream>

#include "core/atomic_file.h"
#include "core/bounded_file.h"
#include "core/raw_archive.h"
#include "platform/blank_trim.h"

namespace marlin {

namespace {

// A file of queries is text a person wrote; anything larger is no such file.
constexpr std::size_t kMaxQueryFileBytes = std::size_t{16} << 20;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

}  // namespace

std::optional<std::vector<std::string>> SearchesFolder::ReadQueries(const std::filesystem::path& file,
                                                                    std::string* error) {
    std::string why;
    const std::optional<std::string> text = BoundedFile::Read(file, kMaxQueryFileBytes, &why);
    if (!text) {
        *error = "cannot read the queries " + file.string() + " (" + why + ")";
        return std::nullopt;
    }
    std::vector<std::string> queries;
    for (const std::string& line : Lines(*text))
        if (std::string query = Trimmed(line); !query.empty()) queries.push_back(std::move(query));
    if (queries.empty()) *error = "no queries in " + file.string();
    return queries;
}

SearchesFolder::SearchesFolder(std::filesystem::path folder) : m_folder(std::move(folder)) {
    std::error_code error;
    std::filesystem::create_directories(m_folder, error);
    if (!std::filesystem::is_directory(m_folder, error)) {
        m_problem = "cannot make the folder " + m_folder.string();
        return;
    }
    std::string why;
    if (const std::optional<std::string> done =
            BoundedFile::Read(m_folder / kDoneFile, kMaxQueryFileBytes, &why))
        for (const std::string& line : Lines(*done))
            if (!line.empty()) m_done.insert(line);
}

std::string SearchesFolder::Entry(std::size_t index, const std::string& query) {
    return std::to_string(index + 1) + "\t" + query;
}

std::string SearchesFolder::Stem(std::size_t index, std::size_t count, const std::string& query) const {
    std::string number = std::to_string(index + 1);
    // Numbers of one width keep the files in the file's order wherever they are listed.
    const std::size_t width = std::max<std::size_t>(2, std::to_string(count).size());
    if (number.size() < width) number.insert(0, width - number.size(), '0');
    return number + "-" + RawArchive::SafeName(query);
}

std::filesystem::path SearchesFolder::TableFor(std::size_t index, std::size_t count,
                                               const std::string& query) const {
    return m_folder / (Stem(index, count, query) + ".txt");
}

std::filesystem::path SearchesFolder::ArchiveFor(std::size_t index, std::size_t count,
                                                 const std::string& query) const {
    return m_folder / (Stem(index, count, query) + ".jsonl");
}

bool SearchesFolder::Done(std::size_t index, const std::string& query) const {
    return m_done.contains(Entry(index, query));
}

bool SearchesFolder::MarkDone(std::size_t index, const std::string& query) {
    m_done.insert(Entry(index, query));
    std::string text;
    for (const std::string& entry : m_done) text += entry + "\n";
    return AtomicFile::Write(m_folder / kDoneFile, text);
}

}  // namespace marlin
