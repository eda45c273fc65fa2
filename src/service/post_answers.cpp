#include "service/post_answers.h"

#include <algorithm>
#include <charconv>
#include <unordered_map>

#include "core/page_check.h"

namespace marlin {

namespace {

std::optional<std::uint64_t> Number(std::string_view text) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace

std::vector<PostAnswers::Missing> PostAnswers::NotGiven(const std::vector<std::uint64_t>& asked,
                                                        const std::vector<std::uint64_t>& given) {
    std::vector<std::uint64_t> sorted = given;
    std::sort(sorted.begin(), sorted.end());
    std::vector<Missing> missing;
    for (const std::uint64_t id : asked)
        if (!std::binary_search(sorted.begin(), sorted.end(), id)) missing.push_back({id, kNotReturned, {}});
    return missing;
}

std::optional<PostAnswers::Lookup> PostAnswers::LookupV2(std::string_view body,
                                                         const std::vector<std::uint64_t>& asked) {
    std::optional<std::string> page = m_v2.TweetPage(body, false);
    if (!page) return std::nullopt;
    std::vector<std::uint64_t> given;
    for (std::string_view id : m_v2.PostIds())
        if (const std::optional<std::uint64_t> number = Number(id)) given.push_back(*number);
    // The service names each id it did not give in its errors; an id it passed over in silence
    // is missing all the same.
    std::unordered_map<std::uint64_t, V2Translator::PartialError> reasons;
    for (V2Translator::PartialError& error : m_v2.PartialErrors())
        if (const std::optional<std::uint64_t> id = Number(error.value))
            reasons.emplace(*id, std::move(error));
    Lookup lookup{std::move(*page), NotGiven(asked, given)};
    for (Missing& missing : lookup.missing) {
        const auto reason = reasons.find(missing.id);
        if (reason == reasons.end()) continue;
        missing.reason = reason->second.title;
        missing.detail = reason->second.detail;
    }
    return lookup;
}

std::optional<PostAnswers::Lookup> PostAnswers::LookupV11(std::string_view body,
                                                          const std::vector<std::uint64_t>& asked) {
    PageRecords records;
    if (PageCheck::Problem(body, 0, &records) || !records.found) return std::nullopt;
    std::vector<std::uint64_t> given;
    for (const PageRecords::Span& span : records.spans)
        if (const std::optional<std::uint64_t> id = Number(body.substr(span.idAt, span.idSize)))
            given.push_back(*id);
    return Lookup{std::string(body), NotGiven(asked, given)};
}

std::optional<std::string> PostAnswers::Posts(std::string_view body, std::string& nextToken) {
    std::optional<std::string> page = m_v2.TweetPage(body, true);
    nextToken = page ? m_v2.NextToken() : std::string();
    return page;
}

std::optional<std::string> PostAnswers::Users(std::string_view body) {
    return m_v2.UserPage(body, true);
}

}  // namespace marlin
