#include "emulator/v2_engagement_service.h"

#include <httplib.h>

#include <algorithm>

#include "emulator/corpus.h"
#include "emulator/json_writer.h"
#include "emulator/v2_errors.h"
#include "emulator/v2_fields.h"
#include "emulator/v2_params.h"

namespace marlin::emulator {

namespace {

// A 200 answer whose only content is one partial error, as the service answers for a post or list it
// cannot show.
template <typename WriteError>
V2Answer ErrorOnly(WriteError&& write) {
    std::string body;
    JsonWriter json(body, JsonWriter::Escaping::Minimal);
    json.BeginObject().Key("errors").BeginArray();
    write(json);
    json.EndArray().EndObject();
    return {200, std::move(body)};
}

std::optional<V2Answer> InvalidToken(const httplib::Request& req) {
    return V2Params::Invalid("pagination_token", req.get_param_value("pagination_token"),
                             "The `pagination_token` query parameter value is invalid");
}

}  // namespace

V2EngagementService::V2EngagementService(const Corpus& corpus, const V2Service& v2, uint64_t seed)
    : m_corpus(corpus), m_v2(v2), m_lists(corpus, seed) {}

std::optional<Tweet> V2EngagementService::TargetPost(const std::string& id, V2Answer& refusal) const {
    const std::optional<uint64_t> number = V2Params::Id(id);
    if (!number) {
        refusal = V2Params::Invalid("id", id, "The `id` query parameter value [" + id + "] is not valid");
        return std::nullopt;
    }
    const PostGraph::Visibility seen = m_v2.Graph().OfId(*number);
    if (seen == PostGraph::Visibility::Visible) return m_corpus.MakeTweet(*m_corpus.FindTweet(*number));
    refusal = ErrorOnly([&](JsonWriter& json) {
        V2Errors::WriteUnseenPost(json, id, "id", seen == PostGraph::Visibility::Deleted);
    });
    return std::nullopt;
}

std::optional<V2Answer> V2EngagementService::ReadPaging(const httplib::Request& req, int low, int high,
                                                        int standard, Paging& paging) const {
    std::string problem;
    paging.fields = V2Fields::Read(req.params, &problem);
    if (!paging.fields) return V2Answer{400, problem};
    paging.pageSize = standard;
    if (auto bad = V2Params::PageSize(req, low, high, paging.pageSize)) return bad;
    if (!req.has_param("pagination_token")) return std::nullopt;
    paging.token = m_v2.FromToken(req.get_param_value("pagination_token"));
    if (!paging.token) return InvalidToken(req);
    return std::nullopt;
}

V2Answer V2EngagementService::Quotes(const httplib::Request& req, const std::string& id) const {
    Paging paging;
    if (auto bad = ReadPaging(req, 10, 100, 10, paging)) return *bad;
    V2Answer refusal;
    const std::optional<Tweet> post = TargetPost(id, refusal);
    if (!post) return refusal;
    const uint64_t below = paging.token.value_or(UINT64_MAX);  // the quotes older than the last page's oldest
    std::vector<Tweet> quotes;
    for (uint64_t quote : m_v2.Graph().Quotes(post->id)) {
        if (quote >= below) continue;
        quotes.push_back(m_corpus.MakeTweet(*m_corpus.FindTweet(quote)));
        if (static_cast<int>(quotes.size()) > paging.pageSize) break;
    }
    return m_v2.PostsPage(std::move(quotes), paging.pageSize, *paging.fields);
}

V2Answer V2EngagementService::RetweetedBy(const httplib::Request& req, const std::string& id) const {
    Paging paging;
    if (auto bad = ReadPaging(req, 1, 100, 100, paging)) return *bad;
    V2Answer refusal;
    const std::optional<Tweet> post = TargetPost(id, refusal);
    return post ? UserPage(req, paging, m_v2.Graph().Reposters(post->id)) : refusal;
}

V2Answer V2EngagementService::LikingUsers(const httplib::Request& req, const std::string& id) const {
    Paging paging;
    if (auto bad = ReadPaging(req, 1, 100, 100, paging)) return *bad;
    V2Answer refusal;
    const std::optional<Tweet> post = TargetPost(id, refusal);
    return post ? UserPage(req, paging, m_v2.Graph().LikingUsers(*post)) : refusal;
}

V2Answer V2EngagementService::ListMembers(const httplib::Request& req, const std::string& id) const {
    Paging paging;
    if (auto bad = ReadPaging(req, 1, 100, 100, paging)) return *bad;
    const std::optional<uint64_t> number = V2Params::Id(id);
    if (!number)
        return V2Params::Invalid("id", id, "The `id` query parameter value [" + id + "] is not valid");
    const std::optional<CorpusLists::List> list = m_lists.Find(*number);
    if (!list) return ErrorOnly([&](JsonWriter& json) { V2Errors::WriteNotFound(json, id, "list", "id"); });
    return UserPage(req, paging, m_lists.Members(*list));
}

V2Answer V2EngagementService::UserPage(const httplib::Request& req, const Paging& paging,
                                       const std::vector<int>& users) const {
    const int total = static_cast<int>(users.size());
    if (paging.token.value_or(0) > static_cast<uint64_t>(total)) return *InvalidToken(req);
    const int first = static_cast<int>(paging.token.value_or(0));
    const int end = std::min(total, first + paging.pageSize);
    return m_v2.UsersPage(std::vector<int>(users.begin() + first, users.begin() + end), first, total,
                          paging.pageSize, *paging.fields);
}

}  // namespace marlin::emulator
