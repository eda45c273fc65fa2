#include "service/archive_records.h"

#include <cstring>
#include <fstream>
#include <optional>
#include <vector>

#include "core/id_set.h"
#include "core/page_check.h"
#include "core/tweet_set.h"
#include "core/v2_page.h"
#include "service/v2_translator.h"

namespace marlin {

namespace {

// A service page holds at most 100 posts (500 from the full archive); the reader takes
// pages of the size it was made for.
constexpr std::size_t kPostsAPage = 100;

enum class Dialect { V11, V2 };

struct Post {
    Dialect dialect;
    std::string id;
    // v2: the joined authors and referenced posts, for the page's includes
    std::vector<std::string> users;
    std::vector<std::string> tweets;
};

// The posts a v2 line refers to (joined in under "tweet") and their authors, as includes.
void TakeReferences(V2Page& page, std::string_view references, Post& post) {
    if (references.empty() || references.front() != '[') return;
    for (std::string_view reference : page.Elements(references)) {
        const std::string_view tweet = page.Pick(reference, {"tweet"})[0];
        if (tweet.empty() || tweet.front() != '{') continue;
        post.tweets.emplace_back(tweet);
        const std::string_view author = page.Pick(tweet, {"author"})[0];
        if (!author.empty()) post.users.emplace_back(author);
    }
}

// What one line is: a post of either dialect, or nothing (a user, or no readable object).
std::optional<Post> ReadLine(std::string_view line, V2Page& page) {
    if (PageCheck::Problem(line)) return std::nullopt;
    std::string body = "{\"data\":";
    body += line;
    body += '}';
    if (!page.Read(body) || page.Data().size() != 1 || page.Data().front().front() != '{')
        return std::nullopt;
    const std::vector<std::string_view> v = page.Pick(
        page.Data().front(), {"id_str", "user", "id", "username", "text", "author", "referenced_tweets"});
    if (!v[0].empty() && !v[1].empty())
        return Post{Dialect::V11, std::string(V2Page::Unquoted(v[0])), {}, {}};
    if (!v[0].empty() || v[2].empty() || v[2].front() != '"' || !v[3].empty() || v[4].empty())
        return std::nullopt;
    Post post{Dialect::V2, std::string(V2Page::Unquoted(v[2])), {}, {}};
    if (!v[5].empty()) post.users.emplace_back(v[5]);
    TakeReferences(page, v[6], post);
    return post;
}

// Posts of one dialect, made into one page as the service would have sent them.
class PageBuilder {
  public:
    explicit PageBuilder(TweetSet& tweets) : m_tweets(tweets) {
        m_translator.SetExtraFields(tweets.ExtraFields());
    }

    void Add(const Post& post, std::string_view line) {
        if (!m_lines.empty() && (post.dialect != m_dialect || m_lines.size() == kPostsAPage)) Flush();
        m_dialect = post.dialect;
        m_lines.emplace_back(line);
        m_authors.insert(m_authors.end(), post.users.begin(), post.users.end());
        m_referenced.insert(m_referenced.end(), post.tweets.begin(), post.tweets.end());
    }

    void Flush() {
        if (m_lines.empty()) return;
        std::string data = Joined(m_lines);
        if (m_dialect == Dialect::V11) {
            m_tweets.SetData("{\"statuses\":" + data + ",\"search_metadata\":{}}", true, true);
        } else {
            // The joined members the archive added stay in each post; the translation reads only
            // the fields the service sent, and finds each author and referenced post among the
            // includes again.
            const std::optional<std::string> page =
                m_translator.TweetPage("{\"data\":" + data + ",\"includes\":{\"users\":" + Joined(m_authors) +
                                           ",\"tweets\":" + Joined(m_referenced) + "}}",
                                       true);
            if (page) m_tweets.SetData(*page, true, true);
        }
        m_lines.clear();
        m_authors.clear();
        m_referenced.clear();
    }

  private:
    static std::string Joined(const std::vector<std::string>& items) {
        std::size_t bytes = 2;
        for (const std::string& item : items) bytes += item.size() + 1;
        std::string out;
        out.reserve(bytes);
        out += '[';
        for (const std::string& item : items) {
            if (out.size() > 1) out += ',';
            out += item;
        }
        out += ']';
        return out;
    }

    TweetSet& m_tweets;
    V2Translator m_translator;
    Dialect m_dialect = Dialect::V11;
    std::vector<std::string> m_lines;
    std::vector<std::string> m_authors;
    std::vector<std::string> m_referenced;
};

}  // namespace

ArchiveRecords::Result ArchiveRecords::Load(const std::filesystem::path& file, TweetSet& tweets) {
    Result result;
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        result.problem = "cannot read " + file.string() + ": " + std::strerror(errno);
        return result;
    }
    V2Page page;
    IdSet seen;
    PageBuilder pages(tweets);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        const std::optional<Post> post = ReadLine(line, page);
        if (!post || !seen.Insert(post->id)) {
            ++result.skipped;
            continue;
        }
        pages.Add(*post, line);
        ++result.posts;
    }
    if (in.bad()) result.problem = "cannot read " + file.string() + " to its end";
    pages.Flush();
    return result;
}

}  // namespace marlin
