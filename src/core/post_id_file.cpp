#include "core/post_id_file.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <functional>
#include <utility>

#include <simdjson.h>

#include "core/atomic_file.h"
#include "core/csv_records.h"
#include "core/id_set.h"
#include "core/tweet_column.h"

namespace marlin {

namespace {

enum class Layout { Lines, Csv, Tabs, Archive };

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

// Adds each id once and counts what it drops.
class Collector {
  public:
    explicit Collector(PostIds& out) : m_out(out) {}
    void Add(std::string_view text) {
        const std::optional<std::uint64_t> id = PostIdFile::ParseId(text);
        if (!id) {
            ++m_out.malformed;
            return;
        }
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, *id).ptr;
        if (m_seen.Insert(std::string_view(digits, static_cast<std::size_t>(end - digits))))
            m_out.ids.push_back(*id);
        else
            ++m_out.duplicates;
    }

  private:
    PostIds& m_out;
    IdSet m_seen;
};

Layout LayoutOf(std::istream& in) {
    std::string first;
    std::getline(in, first);
    in.clear();
    in.seekg(0);
    CsvRecords::DropByteOrderMark(first);
    const std::string_view line = Trimmed(first);
    if (!line.empty() && line.front() == '{') return Layout::Archive;
    if (line.find('\t') != std::string_view::npos) return Layout::Tabs;
    if (line.find_first_of(",\"") != std::string_view::npos) return Layout::Csv;
    return Layout::Lines;
}

void ReadLines(std::istream& in, Collector& ids) {
    bool first = true;
    for (std::string line; std::getline(in, line);) {
        CsvRecords::DropByteOrderMark(line);
        if (Trimmed(line).empty()) continue;
        // A one-column table may name its column.
        if (std::exchange(first, false) && PostIdFile::IsIdColumnName(line)) continue;
        ids.Add(line);
    }
}

// The column to read and whether the first record names the columns.
std::size_t ChooseColumn(const std::vector<std::string>& first, const std::string& column, bool tabs,
                         bool& header) {
    header = false;
    if (!column.empty() &&
        std::all_of(column.begin(), column.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        const std::size_t index = std::stoul(column);
        if (index == 0) throw PostIdFile::Error("there is no column 0; columns count from 1");
        header = index <= first.size() && !PostIdFile::ParseId(first[index - 1]);
        return index - 1;
    }
    for (std::size_t k = 0; k < first.size(); ++k) {
        const std::string_view name = Trimmed(first[k]);
        if (column.empty() ? PostIdFile::IsIdColumnName(name) : Lower(name) == Lower(column)) {
            header = true;
            return k;
        }
    }
    if (!column.empty()) throw PostIdFile::Error("the file has no column named \"" + column + "\"");
    return tabs ? static_cast<std::size_t>(TweetColumn::TweetID) : 0;
}

void ReadTable(std::istream& in, bool tabs, const std::string& column, Collector& ids) {
    CsvRecords records(in, tabs ? '\t' : ',');
    std::vector<std::string> fields;
    if (!records.Next(fields)) return;
    bool header = false;
    const std::size_t index = ChooseColumn(fields, column, tabs, header);
    for (bool more = true; more; more = records.Next(fields)) {
        if (header) {
            header = false;
            continue;
        }
        if (fields.size() == 1 && Trimmed(fields[0]).empty()) continue;  // a blank line
        ids.Add(index < fields.size() ? std::string_view(fields[index]) : std::string_view());
    }
}

// The id of an archive line that holds a post ("id_str", or a string "id"), "" for another
// object (a user), nothing for a line that is no JSON object.
std::optional<std::string> ArchivedPostId(simdjson::ondemand::parser& parser, const std::string& line) {
    namespace ondemand = simdjson::ondemand;
    const simdjson::padded_string padded(line);
    ondemand::document document;
    ondemand::object object;
    if (parser.iterate(padded).get(document) || document.get_object().get(object)) return std::nullopt;
    std::string id;
    bool post = false;
    bool hasIdStr = false;
    for (auto field : object) {
        std::string_view key;
        if (field.unescaped_key().get(key)) return std::nullopt;
        std::string_view text;
        if (key == "id_str" && !field.value().get_string().get(text)) {
            id = text;
            hasIdStr = true;
        } else if (key == "id" && !hasIdStr && !field.value().get_string().get(text)) {
            id = text;
        } else if (key == "text" || key == "full_text") {
            post = true;
        }
    }
    return post ? id : std::string();
}

void ReadArchive(std::istream& in, PostIds& out, Collector& ids) {
    simdjson::ondemand::parser parser;
    for (std::string line; std::getline(in, line);) {
        if (Trimmed(line).empty()) continue;
        const std::optional<std::string> id = ArchivedPostId(parser, line);
        if (!id)
            ++out.malformed;
        else if (!id->empty())
            ids.Add(*id);
    }
}

}  // namespace

bool PostIdFile::IsIdColumnName(std::string_view name) {
    const std::string lower = Lower(Trimmed(name));
    return lower == "tweetid" || lower == "id" || lower == "id_str" || lower == "tweet_id" ||
           lower == "post_id";
}

std::optional<std::uint64_t> PostIdFile::ParseId(std::string_view text) {
    text = Trimmed(text);
    if (const std::size_t status = text.find("/status/"); status != std::string_view::npos) {
        text.remove_prefix(status + 8);
        text = text.substr(0, text.find_first_not_of("0123456789"));
    }
    if (text.empty() || text.size() > 20 || text.front() == '0') return std::nullopt;
    std::uint64_t id = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return id;
}

PostIds PostIdFile::Read(const std::filesystem::path& file, const std::string& column) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw Error("cannot open " + file.string() + ": " + std::strerror(errno));
    PostIds out;
    Collector ids(out);
    switch (LayoutOf(in)) {
        case Layout::Lines:
            ReadLines(in, ids);
            break;
        case Layout::Csv:
            ReadTable(in, false, column, ids);
            break;
        case Layout::Tabs:
            ReadTable(in, true, column, ids);
            break;
        case Layout::Archive:
            ReadArchive(in, out, ids);
            break;
    }
    if (in.bad()) throw Error("cannot read " + file.string() + ": " + std::strerror(errno));
    return out;
}

PostIds PostIdFile::Dehydrate(const std::filesystem::path& file, const std::string& column) {
    PostIds out = Read(file, column);
    std::sort(out.ids.begin(), out.ids.end(), std::greater<>());
    return out;
}

bool PostIdFile::Write(const std::filesystem::path& file, const std::vector<std::uint64_t>& ids) {
    std::string text;
    text.reserve(ids.size() * 20);
    char digits[24];
    for (const std::uint64_t id : ids) {
        text.append(digits, std::to_chars(digits, digits + sizeof digits, id).ptr);
        text += '\n';
    }
    return AtomicFile::Write(file, text);
}

}  // namespace marlin
