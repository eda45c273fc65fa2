#pragma once

#include <string>

#include "core/archive_references.h"
#include "platform/report_list.h"
#include "workspace/export/network_graph.h"

namespace marlin {

// Which words go together: an undirected graph of the `top` words of a Tweets table (the
// words of PostWords, ranked by the posts that use them, ties by the word), an edge between
// two of them for the posts that use both, weighted by those posts, with the first and last
// time and the mean Sent+ and Sent- of those posts. A node's `posts` is the posts using it.
class CowordNetwork {
  public:
    static constexpr int kDefaultTop = 100;

    static NetworkGraph FromTweets(const ReportList& tweets, int top = kDefaultTop,
                                   const ArchiveReferences* archive = nullptr);
    // A saved tweet table file to the graph's files (NetworkFiles::Write); false when the
    // table cannot be read or a file cannot be written.
    static bool FromTableFile(const std::string& tableFile, const std::string& out, int top = kDefaultTop);
};

}  // namespace marlin
