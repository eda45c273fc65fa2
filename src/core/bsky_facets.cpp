#include "core/bsky_facets.h"

namespace marlin {

namespace {

// Built in steps: GCC 12 warns of a false overlap in the one-expression form.
std::string Marked(char mark, const std::string& name) {
    std::string marked(1, mark);
    marked += name;
    return marked;
}

}  // namespace

BskyFacets BskyFacets::Read(BskyPage& page, std::string_view record) {
    BskyFacets facets;
    const std::vector<std::string_view> v = page.Pick(record, {"text", "facets"});
    const std::string text = BskyPage::Text(v[0]);
    for (std::string_view facet : page.Elements(v[1])) {
        const std::vector<std::string_view> f = page.Pick(facet, {"index", "features"});
        const std::vector<std::string_view> index = page.Pick(f[0], {"byteStart", "byteEnd"});
        const long long start = BskyPage::Number(index[0], -1), end = BskyPage::Number(index[1], -1);
        // The range as the writer's client counted it: bytes of the UTF-8 text, never characters.
        std::string_view slice;
        if (start >= 0 && end > start && static_cast<std::size_t>(end) <= text.size())
            slice = std::string_view(text).substr(static_cast<std::size_t>(start),
                                                  static_cast<std::size_t>(end - start));
        for (std::string_view feature : page.Elements(f[1])) {
            const std::vector<std::string_view> g = page.Pick(feature, {"$type", "did", "uri", "tag"});
            const std::string type = BskyPage::Text(g[0]);
            if (type == "app.bsky.richtext.facet#tag") {
                facets.hashtags.push_back(Marked('#', BskyPage::Text(g[3])));
            } else if (type == "app.bsky.richtext.facet#link") {
                facets.links.push_back(BskyPage::Text(g[2]));
            } else if (type == "app.bsky.richtext.facet#mention") {
                // The text names the handle at the range; a range that does not hold one leaves the DID.
                if (slice.size() > 1 && slice.front() == '@')
                    facets.mentions.emplace_back(slice);
                else
                    facets.mentions.push_back(Marked('@', BskyPage::Text(g[1])));
            }
        }
    }
    return facets;
}

}  // namespace marlin
