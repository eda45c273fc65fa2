#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "service/v2_translator.h"

namespace marlin {

// Reads the answers of the requests beyond search (PostRequests) into the pages the record sets
// read, as the v2 translator does for searches and look-ups: posts as a v1.1 page of posts, users
// as a v1.1 list page whose cursor is the v2 pagination token. A look-up by id also says which
// ids asked for the service did not give, and why.
class PostAnswers {
  public:
    // An id asked for and not given.
    struct Missing {
        std::uint64_t id = 0;
        std::string reason;  // the service's title ("Not Found Error", "Authorization Error")
        std::string detail;  // its sentence
    };
    struct Lookup {
        std::string page;  // the posts given, a v1.1 timeline page ([…])
        std::vector<Missing> missing;
    };
    // What a v1.1 look-up that leaves a post out says about it: nothing; so this.
    static constexpr const char* kNotReturned = "Not returned";

    // A v2 look-up answer (GET /2/tweets?ids=); nothing when the body is not a JSON object.
    std::optional<Lookup> LookupV2(std::string_view body, const std::vector<std::uint64_t>& asked);
    // A v1.1 look-up answer (statuses/lookup, an array of posts): every id asked it left out is
    // missing, kNotReturned. Nothing when the body is not such an array.
    std::optional<Lookup> LookupV11(std::string_view body, const std::vector<std::uint64_t>& asked);
    // A page of posts (the quotes of a post, the replies of a conversation) as a v1.1 search page;
    // the next page's token goes to nextToken ("" after the last).
    std::optional<std::string> Posts(std::string_view body, std::string& nextToken);
    // A page of users (reposted by, liking users, list members) as a v1.1 list page; its
    // next_cursor_str is the next page's token, "0" after the last.
    std::optional<std::string> Users(std::string_view body);

    // The kinds of the last answer's partial errors, for the request log ("3 x Not Found Error (tweet)").
    const std::vector<std::string>& ErrorKinds() const { return m_v2.ErrorKinds(); }

  private:
    static std::vector<Missing> NotGiven(const std::vector<std::uint64_t>& asked,
                                         const std::vector<std::uint64_t>& given);

    V2Translator m_v2;
};

}  // namespace marlin
