#pragma once

#include <optional>
#include <string>
#include <vector>

#include "emulator/corpus_lists.h"
#include "emulator/v2_fields.h"
#include "emulator/v2_service.h"

namespace httplib {
struct Request;
}

namespace marlin::emulator {

class Corpus;

// Who answered to a post and who a list holds: the quotes of a post, the users who reposted or liked it,
// and the members of a list, from what the corpus implies (PostGraph, CorpusLists), paged by
// pagination_token as the service pages them.
class V2EngagementService {
  public:
    V2EngagementService(const Corpus& corpus, const V2Service& v2, uint64_t seed);

    // GET /2/tweets/:id/quote_tweets
    V2Answer Quotes(const httplib::Request& req, const std::string& id) const;
    // GET /2/tweets/:id/retweeted_by
    V2Answer RetweetedBy(const httplib::Request& req, const std::string& id) const;
    // GET /2/tweets/:id/liking_users
    V2Answer LikingUsers(const httplib::Request& req, const std::string& id) const;
    // GET /2/lists/:id/members
    V2Answer ListMembers(const httplib::Request& req, const std::string& id) const;

    const CorpusLists& Lists() const { return m_lists; }

  private:
    // What a request asks to see of one page: read, and refused, before anything is looked up.
    struct Paging {
        std::optional<V2Fields> fields;
        int pageSize = 0;
        std::optional<uint64_t> token;  // the pagination_token read, when one was sent
    };
    std::optional<V2Answer> ReadPaging(const httplib::Request& req, int low, int high, int standard,
                                       Paging& paging) const;
    // The post a request names, or the answer that says why there is none to answer about.
    std::optional<Tweet> TargetPost(const std::string& id, V2Answer& refusal) const;
    // One page of the users, from the position the request's pagination_token names.
    V2Answer UserPage(const httplib::Request& req, const Paging& paging, const std::vector<int>& users) const;

    const Corpus& m_corpus;
    const V2Service& m_v2;
    CorpusLists m_lists;
};

}  // namespace marlin::emulator
