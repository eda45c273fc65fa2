#include "core/bsky_archive_lines.h"

#include "core/bsky_post_id.h"

namespace marlin {

std::string BskyArchiveLines::RepostKey(BskyPage& page, std::string_view reason, std::string_view post) {
    const std::string uri = BskyPage::Text(page.Member(reason, "uri"));
    if (!uri.empty()) return uri;
    const std::string_view by = page.Member(reason, "by");
    return BskyPage::Text(page.Member(by, "did")) + " " + BskyPage::Text(page.Member(post, "uri"));
}

BskyArchiveLines::RowKey BskyArchiveLines::KeyOfRow(BskyPage& page, std::string_view post,
                                                    std::string_view reason, int64_t nowMs) {
    const std::vector<std::string_view> v = page.Pick(post, {"uri", "record", "indexedAt"});
    RowKey row{BskyPage::Text(v[0]), BskyPostId::SortAtMs(BskyPage::Text(page.Member(v[1], "createdAt")),
                                                          BskyPage::Text(v[2]), nowMs)};
    if (reason.empty()) return row;
    row.key = RepostKey(page, reason, post);
    if (const std::optional<int64_t> reposted =
            BskyPostId::ParseIso(BskyPage::Text(page.Member(reason, "indexedAt"))))
        row.dateMs = reposted;
    return row;
}

std::vector<BskyArchiveLines::Line> BskyArchiveLines::Lines(std::string_view body) {
    std::vector<Line> lines;
    if (!m_page.Read(body)) return lines;
    const std::vector<std::string_view> v =
        m_page.Pick(m_page.Top(), {"posts", "feed", "followers", "follows", "profiles"});
    for (std::string_view post : m_page.Elements(v[0])) {
        const std::string uri = BskyPage::Text(m_page.Member(post, "uri"));
        if (!uri.empty()) lines.push_back({uri, post});
    }
    for (std::string_view item : m_page.Elements(v[1])) {
        const std::vector<std::string_view> parts = m_page.Pick(item, {"post", "reason"});
        if (!parts[1].empty() && parts[1].front() == '{') {
            lines.push_back({RepostKey(m_page, parts[1], parts[0]), item});
            continue;
        }
        const std::string uri = BskyPage::Text(m_page.Member(parts[0], "uri"));
        if (!uri.empty()) lines.push_back({uri, parts[0]});
    }
    for (int list = 2; list <= 4; ++list) {
        for (std::string_view profile : m_page.Elements(v[list])) {
            const std::string did = BskyPage::Text(m_page.Member(profile, "did"));
            if (!did.empty()) lines.push_back({did, profile});
        }
    }
    return lines;
}

}  // namespace marlin
