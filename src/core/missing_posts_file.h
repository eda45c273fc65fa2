#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/id_set.h"

namespace marlin {

// The ids a hydrate asked for that the service did not give, with its reason, as the file
// "FILE-missing.csv" beside the output FILE: a header "id,reason,detail" and one row a post, the
// reason being the title the service gave ("Not Found Error" for a deleted post, "Authorization
// Error" for one whose author is protected or suspended) and the detail its sentence. A resumed
// hydrate loads the rows of the run before and adds to them.
//
// The list is written whole, so a run writes it when it ends, however it ends (an interrupted run
// saves what it has), not after every page: a million ids would rewrite it ten thousand times. A
// run that crashes loses its list, and the next run asks again for those ids only, which costs
// nothing (the service charges no read for a post it does not give).
class MissingPostsFile {
  public:
    struct Row {
        std::uint64_t id = 0;
        std::string reason;
        std::string detail;
    };

    explicit MissingPostsFile(std::filesystem::path file);

    // "DIR/FILE-missing.csv" for the output "DIR/FILE.ext".
    static std::filesystem::path For(const std::filesystem::path& output);

    const std::filesystem::path& File() const { return m_file; }
    // Takes in the rows the file holds (an earlier run's); none when there is no file. The rows read.
    std::size_t Load();
    // Lists the id; an id listed already is not listed again.
    void Add(std::uint64_t id, std::string reason, std::string detail);
    const std::vector<Row>& Rows() const { return m_rows; }
    // Writes every row through the atomic writer; false when the file could not be written.
    bool Write() const;

  private:
    std::filesystem::path m_file;
    std::vector<Row> m_rows;
    IdSet m_listed;
};

}  // namespace marlin
