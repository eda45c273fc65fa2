#include "emulator/v2_includes.h"

#include <algorithm>

#include "emulator/corpus.h"
#include "emulator/json_writer.h"
#include "emulator/v2_errors.h"
#include "emulator/v2_fields.h"
#include "emulator/v2_renderer.h"

namespace marlin::emulator {

namespace {
template <typename T>
void AddOnce(std::vector<T>& list, const T& item) {
    if (std::find(list.begin(), list.end(), item) == list.end()) list.push_back(item);
}
}  // namespace

void V2Includes::AddUser(int user) {
    if (user >= 0) AddOnce(m_users, user);
}

void V2Includes::AddPost(const Tweet& t) {
    if (m_fields.Expands("author_id")) AddUser(t.ref.user);
    if (m_fields.Expands("in_reply_to_user_id")) AddUser(t.replyToUser);
    if (m_fields.Expands("entities.mentions.username"))
        for (const MentionEntity& m : t.mentions) AddUser(m.user);
    if (m_fields.Expands("geo.place_id") && t.place >= 0) AddOnce(m_places, t.place);
    if (!m_fields.Expands("referenced_tweets.id")) return;
    // A retweet goes with its original; replies and quotes outlive the posts they refer to.
    if (t.IsRetweet()) AddReference(t.retweetOf, false);
    if (t.IsQuote()) AddReference(t.quoteOf, true);
    if (t.replyTo.Valid()) AddReference(t.replyTo, true);
}

void V2Includes::AddReference(TweetRef ref, bool mayBeGone) {
    if (mayBeGone && m_corpus.IsGone(ref)) {
        AddOnce(m_gone, std::to_string(m_corpus.TweetId(ref)));
        return;
    }
    AddOnce(m_posts, ref);
    if (m_fields.Expands("referenced_tweets.id.author_id")) AddUser(ref.user);
}

void V2Includes::Write(JsonWriter& json, const V2Renderer& renderer) const {
    if (!m_users.empty() || !m_posts.empty() || !m_places.empty()) {
        json.Key("includes").BeginObject();
        if (!m_users.empty()) {
            json.Key("users").BeginArray();
            for (int user : m_users) renderer.WriteUser(json, m_corpus.User(user), m_fields);
            json.EndArray();
        }
        if (!m_posts.empty()) {
            json.Key("tweets").BeginArray();
            for (TweetRef ref : m_posts) renderer.WritePost(json, m_corpus.MakeTweet(ref), m_fields);
            json.EndArray();
        }
        if (!m_places.empty()) {
            json.Key("places").BeginArray();
            for (int place : m_places) renderer.WritePlace(json, place, m_fields);
            json.EndArray();
        }
        json.EndObject();
    }
    if (m_gone.empty() && m_errors.empty()) return;
    json.Key("errors").BeginArray();
    for (const std::string& entry : m_errors) json.Raw(entry);
    for (const std::string& id : m_gone) V2Errors::WriteNotFound(json, id, "tweet", "referenced_tweets.id");
    json.EndArray();
}

}  // namespace marlin::emulator
