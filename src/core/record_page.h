#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/json_deserializer.h"

namespace marlin {

// A page of records from the service before a record set fills itself from it: read,
// counted, and the user told when it holds none. The tweet set and the user set read
// their pages alike up to the records themselves.
class RecordPage {
  public:
    using NoticeSink = std::function<void(const std::string&)>;

    // Reads the page; the number of its top-level records (the search's metadata aside),
    // or nothing when the text is unreadable or holds more records than any page can.
    static std::optional<int> Count(JSONDeserializer& reader, std::string_view json, bool ignoreTopLevel);

    // The note that a page held no records, to the sink its owner installed.
    static void ReportEmpty(const NoticeSink& sink);
};

}  // namespace marlin
