#include "core/archive_references.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include <chrono>

#include "core/bsky_archive_lines.h"
#include "core/bsky_facets.h"
#include "core/bsky_page.h"
#include "core/bsky_post_id.h"
#include "core/v2_page.h"

namespace marlin {
namespace {

using Kind = ArchiveReferences::Kind;

std::string Text(std::string_view value) {
    return V2Page::Absent(value) ? std::string() : std::string(V2Page::Unquoted(value));
}

// The value of a path of fields ("user", "screen_name") below an object of the page.
std::string_view Field(V2Page& page, std::string_view object, std::initializer_list<std::string_view> path) {
    for (const std::string_view name : path) {
        if (V2Page::Absent(object) || object.front() != '{') return {};
        object = page.Pick(object, {name})[0];
    }
    return object;
}

void Add(ArchiveReferences::Post& post, Kind kind, std::string_view name) {
    if (name.empty()) return;
    post.references.push_back({kind, std::string(name)});
}

// entities.<list>[].<field>: the names a post's text mentions.
void AddMentions(V2Page& page, ArchiveReferences::Post& post, std::string_view object, std::string_view list,
                 std::string_view field) {
    const std::string_view mentions = Field(page, object, {"entities", list});
    if (V2Page::Absent(mentions) || mentions.front() != '[') return;
    for (const std::string_view mention : page.Elements(mentions))
        Add(post, Kind::Mention, Text(Field(page, mention, {field})));
}

void ReadV11(V2Page& page, std::string_view object, ArchiveReferences::Post& post) {
    const std::string repostOf = Text(Field(page, object, {"retweeted_status", "user", "screen_name"}));
    if (!repostOf.empty()) {
        // A repost carries the names of the post it copies: they are not its author's doing.
        Add(post, Kind::Repost, repostOf);
        return;
    }
    Add(post, Kind::Reply, Text(Field(page, object, {"in_reply_to_screen_name"})));
    Add(post, Kind::Quote, Text(Field(page, object, {"quoted_status", "user", "screen_name"})));
    AddMentions(page, post, object, "user_mentions", "screen_name");
}

void ReadV2(V2Page& page, std::string_view object, ArchiveReferences::Post& post) {
    const std::string_view references = Field(page, object, {"referenced_tweets"});
    bool repost = false;
    if (!V2Page::Absent(references) && references.front() == '[') {
        for (const std::string_view reference : page.Elements(references)) {
            const std::string type = Text(Field(page, reference, {"type"}));
            const std::string author = Text(Field(page, reference, {"tweet", "author", "username"}));
            if (type == "replied_to") Add(post, Kind::Reply, author);
            if (type == "quoted") Add(post, Kind::Quote, author);
            if (type == "retweeted") {
                Add(post, Kind::Repost, author);
                repost = true;
            }
        }
    }
    if (!repost) AddMentions(page, post, object, "mentions", "username");
}

// The author's DID of an at:// URI ("at://did:plc:…/app.bsky.feed.post/…").
std::string DidOfUri(std::string_view uri) {
    if (!uri.starts_with("at://")) return {};
    uri.remove_prefix(5);
    return std::string(uri.substr(0, uri.find('/')));
}

int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

// The author of the post a post view quotes: a record view, alone or beside media.
std::string QuotedAuthor(BskyPage& page, std::string_view embed) {
    const std::vector<std::string_view> e = page.Pick(embed, {"$type", "record"});
    const std::string type = BskyPage::Text(e[0]);
    std::string_view record = e[1];
    if (type == "app.bsky.embed.recordWithMedia#view")
        record = page.Member(record, "record");
    else if (type != "app.bsky.embed.record#view")
        return {};
    return BskyPage::Text(page.Member(page.Member(record, "author"), "handle"));
}

}  // namespace

ArchiveReferences::ArchiveReferences()
    : m_page(std::make_unique<V2Page>()), m_bsky(std::make_unique<BskyPage>()) {}
ArchiveReferences::~ArchiveReferences() = default;
ArchiveReferences::ArchiveReferences(ArchiveReferences&&) noexcept = default;
ArchiveReferences& ArchiveReferences::operator=(ArchiveReferences&&) noexcept = default;

bool ArchiveReferences::Load(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        m_problem = "cannot read " + file.string() + ": " + std::strerror(errno);
        return false;
    }
    for (std::string line; std::getline(in, line);) AddLine(line);
    NameRepliedAuthors();
    if (in.bad()) {
        m_problem = "cannot read " + file.string() + " to its end";
        return false;
    }
    return true;
}

bool ArchiveReferences::AddLine(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
    if (line.empty() || line.front() != '{') return false;
    if (line.starts_with("{\"uri\":\"at://") || line.starts_with("{\"post\":")) return AddBlueskyLine(line);
    V2Page& page = *m_page;
    std::string body = "{\"data\":";
    body += line;
    body += '}';
    if (!page.Read(body) || page.Data().size() != 1) return false;
    const std::string_view object = page.Data().front();
    const std::vector<std::string_view> v =
        page.Pick(object, {"id_str", "user", "id", "author", "text", "full_text", "lang"});
    const bool v11 = !V2Page::Absent(v[0]) && !V2Page::Absent(v[1]);
    const bool v2 =
        V2Page::Absent(v[0]) && !V2Page::Absent(v[2]) && v[2].front() == '"' && !V2Page::Absent(v[3]);
    if (!v11 && !v2) return false;
    if (V2Page::Absent(v[4]) && V2Page::Absent(v[5])) return false;  // a user, not a post
    Post post;
    post.lang = Text(v[6]);
    if (v11) {
        post.author = Text(Field(page, v[1], {"screen_name"}));
        ReadV11(page, object, post);
    } else {
        post.author = Text(Field(page, v[3], {"username"}));
        ReadV2(page, object, post);
    }
    m_posts.insert_or_assign(Text(v11 ? v[0] : v[2]), std::move(post));
    return true;
}

bool ArchiveReferences::AddBlueskyLine(std::string_view line) {
    BskyPage& page = *m_bsky;
    if (!page.Read(line)) return false;
    const std::vector<std::string_view> item = page.Pick(page.Top(), {"post", "reason"});
    const std::string_view view = item[0].empty() ? page.Top() : item[0];
    const std::string_view reason = !item[1].empty() && item[1].front() == '{' ? item[1] : std::string_view();
    const std::vector<std::string_view> v = page.Pick(view, {"uri", "author", "record", "embed"});
    if (!BskyPage::Text(v[0]).starts_with("at://")) return false;
    const std::vector<std::string_view> author = page.Pick(v[1], {"did", "handle"});
    const std::string handle = BskyPage::Text(author[1]);
    m_handles.insert_or_assign(BskyPage::Text(author[0]), handle);
    const std::vector<std::string_view> r = page.Pick(v[2], {"langs", "reply"});
    Post post;
    if (const std::vector<std::string_view> langs = page.Elements(r[0]); !langs.empty())
        post.lang = BskyPage::Text(langs.front());
    const BskyArchiveLines::RowKey row = BskyArchiveLines::KeyOfRow(page, view, reason, NowMs());
    const std::string id = BskyPostId::Id(row.dateMs.value_or(0), row.key);
    if (!reason.empty()) {
        // A repost copies the post: its names are the original author's doing.
        const std::vector<std::string_view> by = page.Pick(page.Member(reason, "by"), {"did", "handle"});
        post.author = BskyPage::Text(by[1]);
        m_handles.insert_or_assign(BskyPage::Text(by[0]), post.author);
        Add(post, Kind::Repost, handle);
    } else {
        post.author = handle;
        const std::string parentDid =
            DidOfUri(BskyPage::Text(page.Member(page.Member(r[1], "parent"), "uri")));
        if (const auto parent = m_handles.find(parentDid); parent != m_handles.end())
            Add(post, Kind::Reply, parent->second);
        else if (!parentDid.empty())
            m_pendingReplies.emplace_back(id, parentDid);
        Add(post, Kind::Quote, QuotedAuthor(page, v[3]));
        for (const std::string& mention : BskyFacets::Read(page, v[2]).mentions)
            if (mention.size() > 1 && !mention.starts_with("@did:"))
                Add(post, Kind::Mention, mention.substr(1));
    }
    m_posts.insert_or_assign(id, std::move(post));
    return true;
}

void ArchiveReferences::NameRepliedAuthors() {
    std::erase_if(m_pendingReplies, [this](const std::pair<std::string, std::string>& reply) {
        const auto handle = m_handles.find(reply.second);
        const auto post = m_posts.find(reply.first);
        if (handle == m_handles.end() || post == m_posts.end()) return false;
        Add(post->second, Kind::Reply, handle->second);
        return true;
    });
}

const ArchiveReferences::Post* ArchiveReferences::Find(std::string_view id) const {
    const auto found = m_posts.find(std::string(id));
    return found == m_posts.end() ? nullptr : &found->second;
}

}  // namespace marlin
