#pragma once

#include <string_view>
#include <vector>

#include "spending/ledger.h"

namespace marlin {

// The reads the service charges for one answer of its v2 API: every object of its `data`
// (the posts of a search or timeline page, the users of a look-up or list page), and not
// what `includes` brings beside them, which the service does not count as read. Prices are
// left for the caller to set.
class PageReads {
  public:
    // Nothing when the body is not a v2 answer or holds no data. Posts carry when they were
    // written (from created_at) so that the estimate can find a query's range among them.
    static std::vector<Ledger::Read> Of(std::string_view body, ReadKind kind);
};

}  // namespace marlin
