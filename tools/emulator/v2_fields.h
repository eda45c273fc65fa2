#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>

namespace marlin::emulator {

// What a v2 request asked to see: the tweet.fields, user.fields and place.fields lists and the expansions.
// The service sends only the default fields of an object and those asked for, and refuses a name it does
// not know with 400.
class V2Fields {
  public:
    using Params = std::multimap<std::string, std::string>;

    // Reads the lists; nullopt with *problem set (the v2 error body of a 400) when a name is unknown.
    static std::optional<V2Fields> Read(const Params& params, std::string* problem);

    bool Post(const std::string& name) const { return m_post.count(name) > 0; }
    bool User(const std::string& name) const { return m_user.count(name) > 0; }
    bool Place(const std::string& name) const { return m_place.count(name) > 0; }
    bool Expands(const std::string& name) const { return m_expansions.count(name) > 0; }

  private:
    std::set<std::string> m_post;
    std::set<std::string> m_user;
    std::set<std::string> m_place;
    std::set<std::string> m_expansions;
};

}  // namespace marlin::emulator
