#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace marlin {

// The folder of a run of many searches: one table and one archive a query, named by its place
// in the file and the query ("03-climate policy.txt", "03-climate policy.jsonl"), and the list of
// the queries finished, so that a run stopped on the way goes on at the first query not finished
// when it is started again with the same file.
class SearchesFolder {
  public:
    static constexpr const char* kDoneFile = "searches-done.txt";

    // The queries of a file, one a line; blank lines are passed over. Nothing when the file
    // cannot be read (*error says why).
    static std::optional<std::vector<std::string>> ReadQueries(const std::filesystem::path& file,
                                                               std::string* error);

    // Makes the folder when it is not there; Problem() says when it could not.
    explicit SearchesFolder(std::filesystem::path folder);
    const std::string& Problem() const { return m_problem; }

    // index: 0-based, in the file's order; count: the queries of the file (for the width of
    // the number).
    std::filesystem::path TableFor(std::size_t index, std::size_t count, const std::string& query) const;
    std::filesystem::path ArchiveFor(std::size_t index, std::size_t count, const std::string& query) const;

    bool Done(std::size_t index, const std::string& query) const;
    // Adds the query to the list of those finished; false when the list could not be written.
    bool MarkDone(std::size_t index, const std::string& query);

  private:
    std::string Stem(std::size_t index, std::size_t count, const std::string& query) const;
    static std::string Entry(std::size_t index, const std::string& query);

    std::filesystem::path m_folder;
    std::set<std::string> m_done;
    std::string m_problem;
};

}  // namespace marlin
