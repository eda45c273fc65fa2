#pragma once

#include <string>
#include <vector>

#include "emulator/tweet.h"

namespace marlin::emulator {

class Corpus;
class JsonWriter;
class V2Fields;
class V2Renderer;

// The objects a page of posts refers to, gathered as its expansions ask: authors and mentioned users in
// `includes.users`, referenced posts in `includes.tweets`, places in `includes.places`, each once and in
// the order first met. A replied-to or quoted post that is gone becomes an entry of the partial `errors`.
class V2Includes {
  public:
    V2Includes(const Corpus& corpus, const V2Fields& fields) : m_corpus(corpus), m_fields(fields) {}

    void AddPost(const Tweet& tweet);
    // An entry of the partial errors (raw JSON) that goes before those of gone references: a requested
    // post that could not be given, say.
    void AddError(std::string entry) { m_errors.push_back(std::move(entry)); }

    // Writes "includes" (when anything was gathered) and "errors" (when an error was added or a reference
    // was gone).
    void Write(JsonWriter& json, const V2Renderer& renderer) const;

  private:
    void AddUser(int user);
    void AddReference(TweetRef ref, bool mayBeGone);

    const Corpus& m_corpus;
    const V2Fields& m_fields;
    std::vector<int> m_users;
    std::vector<TweetRef> m_posts;
    std::vector<int> m_places;
    std::vector<std::string> m_gone;
    std::vector<std::string> m_errors;
};

}  // namespace marlin::emulator
