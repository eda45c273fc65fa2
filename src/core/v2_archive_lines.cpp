#include "core/v2_archive_lines.h"

namespace marlin {

namespace {

// The object with one more member before its closing brace.
std::string WithMember(std::string_view object, std::string_view name, std::string_view value) {
    std::string out(object.substr(0, object.size() - 1));
    std::size_t last = out.find_last_not_of(" \t\r\n");
    if (last != std::string::npos && out[last] != '{') out += ',';
    out += '"';
    out += name;
    out += "\":";
    out += value;
    out += '}';
    return out;
}

// An edit of the post's text: the span of one value and what takes its place.
struct Edit {
    std::string_view span;
    std::string text;
};

}  // namespace

std::vector<V2ArchiveLines::Line> V2ArchiveLines::Lines(std::string_view body) {
    std::vector<Line> lines;
    if (!m_page.Read(body)) return lines;
    for (std::string_view object : m_page.Data()) {
        const std::vector<std::string_view> v = m_page.Pick(object, {"id", "username"});
        const std::string_view id = V2Page::Unquoted(v[0]);
        if (id.empty() || object.front() != '{') continue;
        lines.push_back({std::string(id), v[1].empty() ? Joined(object, true) : std::string(object)});
    }
    return lines;
}

std::string V2ArchiveLines::Joined(std::string_view post, bool withReferences) {
    const std::vector<std::string_view> v = m_page.Pick(post, {"author_id", "referenced_tweets", "geo"});
    std::vector<Edit> edits;
    if (withReferences && !v[1].empty() && v[1].front() == '[')
        edits.push_back({v[1], JoinedReferences(v[1])});
    if (withReferences && !v[2].empty() && v[2].front() == '{') {
        const std::string_view place =
            m_page.IncludedPlace(V2Page::Unquoted(m_page.Pick(v[2], {"place_id"})[0]));
        if (!place.empty()) edits.push_back({v[2], WithMember(v[2], "place", place)});
    }
    if (edits.size() == 2 && edits[1].span.data() < edits[0].span.data()) std::swap(edits[0], edits[1]);
    std::string out;
    const char* at = post.data();
    for (const Edit& edit : edits) {
        out.append(at, edit.span.data());
        out += edit.text;
        at = edit.span.data() + edit.span.size();
    }
    out.append(at, post.data() + post.size());
    const std::string_view author = m_page.IncludedUser(V2Page::Unquoted(v[0]));
    return author.empty() ? out : WithMember(out, "author", author);
}

std::string V2ArchiveLines::JoinedReferences(std::string_view references) {
    std::string out = "[";
    for (std::string_view entry : m_page.Elements(references)) {
        if (out.size() > 1) out += ',';
        const std::string_view id = V2Page::Unquoted(m_page.Pick(entry, {"id"})[0]);
        const std::string_view referenced = id.empty() ? std::string_view() : m_page.IncludedTweet(id);
        if (referenced.empty() || entry.front() != '{')
            out += entry;
        else
            out += WithMember(entry, "tweet", Joined(referenced, false));
    }
    out += ']';
    return out;
}

}  // namespace marlin
