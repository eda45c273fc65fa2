#pragma once

#include <string>
#include <string_view>

#include "core/archive_references.h"
#include "platform/report_list.h"
#include "workspace/export/network_graph.h"

namespace marlin {

// Who answers, quotes, reposts and names whom in a Tweets table: one directed graph with an
// edge author → account for each kind, weighted by the posts behind it, with the first and
// last time and the mean Sent+ and Sent- of those posts.
//
// A row's references come from the raw archive where it holds the row's post (the service's
// reply, quote and repost fields and its mention entities), else from the text: "RT @name:"
// leading it is a repost, every other "@name" a mention. A repost names only whom it
// reposts: the names in the text it copies are its original author's. A name a post answers,
// quotes or reposts is not also counted as its mention. Names compare without regard to case
// (the node id is the name in lower case, the label the spelling of the author's rows, else
// the first seen); a post naming its own author adds no edge.
class InteractionNetwork {
  public:
    enum class Kind { Reply, Quote, Repost, Mention };

    static NetworkGraph FromTweets(const ReportList& tweets, const ArchiveReferences* archive = nullptr);
    static const char* KindName(Kind kind);  // "reply", "quote", "repost", "mention"

    // A saved tweet table file (with the archive of its capture, when one is named) to the
    // network's files (NetworkFiles::Write). The reason in *problem when it fails.
    static bool FromTableFile(const std::string& tableFile, const std::string& archiveFile,
                              const std::string& out, std::string* problem);
};

}  // namespace marlin
