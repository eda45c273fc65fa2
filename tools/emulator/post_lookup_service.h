#pragma once

#include <optional>
#include <string>
#include <vector>

#include "emulator/v2_service.h"

namespace httplib {
struct Request;
}

namespace marlin::emulator {

class Corpus;
class Renderer;

// Posts by their ids, in both dialects: what a researcher turns a shared list of ids back into. A post that
// is gone since (deleted, or its author's account protected or suspended) is not given; v2 says why in its
// partial errors, v1.1 leaves it out.
class PostLookupService {
  public:
    static constexpr int kMostIds = 100;

    PostLookupService(const Corpus& corpus, const Renderer& renderer, const V2Service& v2);

    // GET /2/tweets?ids=
    V2Answer Posts(const httplib::Request& req) const;
    // GET or POST /1.1/statuses/lookup.json?id= (map=true: every id asked, null for those not given).
    V2Answer StatusesLookup(const httplib::Request& req) const;

  private:
    // The corpus's visible post of that id, if any.
    std::optional<Tweet> Visible(uint64_t id) const;

    const Corpus& m_corpus;
    const Renderer& m_renderer;
    const V2Service& m_v2;
    V2Renderer m_v2Renderer;
};

}  // namespace marlin::emulator
