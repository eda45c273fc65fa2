#include "core/missing_posts_file.h"

#include <fstream>

#include "core/atomic_file.h"
#include "core/csv_records.h"
#include "core/post_id_file.h"

namespace marlin {

MissingPostsFile::MissingPostsFile(std::filesystem::path file) : m_file(std::move(file)) {}

std::filesystem::path MissingPostsFile::For(const std::filesystem::path& output) {
    std::filesystem::path file = output;
    return file.replace_filename(output.stem().string() + "-missing.csv");
}

std::size_t MissingPostsFile::Load() {
    std::ifstream in(m_file, std::ios::binary);
    CsvRecords records(in);
    std::size_t read = 0;
    for (std::vector<std::string> fields; records.Next(fields);) {
        const std::optional<std::uint64_t> id =
            fields.empty() ? std::nullopt : PostIdFile::ParseId(fields[0]);
        if (!id) continue;  // the header, or a row someone spoilt
        fields.resize(3);
        Add(*id, std::move(fields[1]), std::move(fields[2]));
        ++read;
    }
    return read;
}

void MissingPostsFile::Add(std::uint64_t id, std::string reason, std::string detail) {
    if (!m_listed.Insert(std::to_string(id))) return;
    m_rows.push_back({id, std::move(reason), std::move(detail)});
}

bool MissingPostsFile::Write() const {
    std::string text = "id,reason,detail\r\n";
    for (const Row& row : m_rows) {
        text += std::to_string(row.id);
        text += ',';
        CsvRecords::AppendField(text, row.reason);
        text += ',';
        CsvRecords::AppendField(text, row.detail);
        text += "\r\n";
    }
    return AtomicFile::Write(m_file, text);
}

}  // namespace marlin
