#include "workspace/engine/page_bound.h"

#include <algorithm>
#include <cctype>

namespace marlin {

namespace {

std::string WithoutLeadingZeros(const std::string& id) {
    const std::size_t first = id.find_first_not_of('0');
    return first == std::string::npos ? "0" : id.substr(first);
}

}  // namespace

bool PageBound::Decimal(const std::string& id) {
    return !id.empty() && std::all_of(id.begin(), id.end(),
                                      [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

bool PageBound::Above(const std::string& id, const std::string& bound) {
    if (!Decimal(id)) return true;
    const std::string a = WithoutLeadingZeros(id), b = WithoutLeadingZeros(bound);
    return a.size() != b.size() ? a.size() > b.size() : a > b;
}

bool PageBound::Keep(TweetSet& tweets, int before) {
    if (!m_maxId.empty())
        tweets.DropAfter(before, [this](const TweetSet::Record& r) { return Above(r.TweetID, m_maxId); });
    std::string lowest;
    for (int i = before + 1; i <= tweets.Count(); ++i) {
        const std::string& id = tweets.TweetID(i);
        if (Decimal(id) && (lowest.empty() || Above(lowest, id))) lowest = id;
    }
    if (lowest.empty()) {
        m_stopLine =
            "Paging stopped: the service sent no record below the max_id asked for (" + m_maxId + ")";
        return false;
    }
    m_maxId = IdBelow(WithoutLeadingZeros(lowest));
    return true;
}

std::string PageBound::IdBelow(std::string id) {
    const std::size_t last = id.find_last_not_of('0');
    if (last == std::string::npos) return id;
    id[last] = static_cast<char>(id[last] - 1);
    for (std::size_t k = last + 1; k < id.size(); ++k) id[k] = '9';
    const std::size_t first = id.find_first_not_of('0');
    return first == std::string::npos ? "0" : id.substr(first);
}

}  // namespace marlin
