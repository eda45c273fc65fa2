#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace marlin {

class BskyPage;
class V2Page;

// What each post of a raw archive says about other accounts, read from the fields the service
// sends for it (a Tweets table row holds only the text): whom it answers, whom it quotes, whose
// post it reposts and whom it names, with the post's language.
//   v1.1  in_reply_to_screen_name, quoted_status.user, retweeted_status.user,
//         entities.user_mentions, lang
//   v2    referenced_tweets (replied_to, quoted, retweeted) with the joined post's author,
//         entities.mentions, lang
//   Bluesky  a post view: record.reply.parent (its author's DID, named by the handle another line of
//         the archive gives it), a quoted post's author (embed record view), the mentions of the
//         facets, record.langs; a repost (the feed item) names the author of the post it reposts.
//         A row is found by the TweetID its capture gave it.
// Names are as the service spells them; a reference whose author the line does not carry (a
// deleted post, a v2 answer without the expansion) is left out. Lines that are no posts, or
// cannot be read, are passed over.
class ArchiveReferences {
  public:
    enum class Kind { Reply, Quote, Repost, Mention };
    struct Reference {
        Kind kind;
        std::string name;
    };
    struct Post {
        std::string author;
        std::string lang;  // "en", "de"…; empty when the service gave none
        std::vector<Reference> references;
    };

    ArchiveReferences();
    ~ArchiveReferences();
    ArchiveReferences(ArchiveReferences&&) noexcept;
    ArchiveReferences& operator=(ArchiveReferences&&) noexcept;

    // False with the reason in Problem() when the file cannot be read.
    bool Load(const std::filesystem::path& file);
    // One line of an archive; false when it is no post. A Bluesky reply whose parent's author no line
    // read so far names gets its reply once the whole file is read (Load), or none.
    bool AddLine(std::string_view line);

    // The post of a table row's TweetID; null when the archive does not hold it.
    const Post* Find(std::string_view id) const;
    std::size_t Size() const { return m_posts.size(); }
    const std::string& Problem() const { return m_problem; }

  private:
    bool AddBlueskyLine(std::string_view line);
    // The Bluesky replies whose parent's author a later line named.
    void NameRepliedAuthors();

    std::unique_ptr<V2Page> m_page;  // one parser for every line
    std::unique_ptr<BskyPage> m_bsky;
    std::unordered_map<std::string, std::string> m_handles;             // Bluesky DID → handle
    std::vector<std::pair<std::string, std::string>> m_pendingReplies;  // row id, parent author's DID
    std::unordered_map<std::string, Post> m_posts;
    std::string m_problem;
};

}  // namespace marlin
