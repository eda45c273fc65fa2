#include "emulator/post_lookup_service.h"

#include <httplib.h>

#include <algorithm>

#include "emulator/corpus.h"
#include "emulator/json_writer.h"
#include "emulator/renderer.h"
#include "emulator/v2_errors.h"
#include "emulator/v2_fields.h"
#include "emulator/v2_includes.h"
#include "emulator/v2_params.h"

namespace marlin::emulator {

namespace {

// The v1.1 service's answer to a list it cannot read.
const std::string kInvalidListBody =
    "{\"errors\":[{\"code\":195,\"message\":\"Missing or invalid url parameter.\"}]}";

// The items of a list in the order given, each once.
std::vector<std::string> Distinct(const std::vector<std::string>& items) {
    std::vector<std::string> distinct;
    for (const std::string& item : items)
        if (std::find(distinct.begin(), distinct.end(), item) == distinct.end()) distinct.push_back(item);
    return distinct;
}

}  // namespace

PostLookupService::PostLookupService(const Corpus& corpus, const Renderer& renderer, const V2Service& v2)
    : m_corpus(corpus), m_renderer(renderer), m_v2(v2), m_v2Renderer(corpus) {}

std::optional<Tweet> PostLookupService::Visible(uint64_t id) const {
    if (m_v2.Graph().OfId(id) != PostGraph::Visibility::Visible) return std::nullopt;
    return m_corpus.MakeTweet(*m_corpus.FindTweet(id));
}

V2Answer PostLookupService::Posts(const httplib::Request& req) const {
    std::string problem;
    auto fields = V2Fields::Read(req.params, &problem);
    if (!fields) return {400, problem};
    const std::string text = req.get_param_value("ids");
    const std::vector<std::string> ids = Distinct(V2Params::List(text));
    if (ids.empty() || ids.size() > kMostIds)
        return V2Params::Invalid(
            "ids", text,
            "The `ids` query parameter value [" + text + "] does not hold between 1 and 100 items");
    V2Includes includes(m_corpus, *fields);
    std::vector<Tweet> posts;
    for (const std::string& id : ids) {
        const std::optional<uint64_t> number = V2Params::Id(id);
        if (!number)
            return V2Params::Invalid("ids", text,
                                     "The `ids` query parameter value [" + id + "] is not valid");
        const PostGraph::Visibility seen = m_v2.Graph().OfId(*number);
        if (seen == PostGraph::Visibility::Visible) {
            posts.push_back(m_corpus.MakeTweet(*m_corpus.FindTweet(*number)));
            continue;
        }
        std::string entry;
        JsonWriter error(entry, JsonWriter::Escaping::Minimal);
        V2Errors::WriteUnseenPost(error, id, "ids", seen == PostGraph::Visibility::Deleted);
        includes.AddError(std::move(entry));
    }
    std::string body;
    body.reserve(posts.size() * 2500 + 256);
    JsonWriter json(body, JsonWriter::Escaping::Minimal);
    json.BeginObject();
    if (!posts.empty()) {
        json.Key("data").BeginArray();
        for (const Tweet& post : posts) {
            m_v2Renderer.WritePost(json, post, *fields);
            includes.AddPost(post);
        }
        json.EndArray();
    }
    includes.Write(json, m_v2Renderer);
    json.EndObject();
    return {200, std::move(body)};
}

V2Answer PostLookupService::StatusesLookup(const httplib::Request& req) const {
    const std::vector<std::string> ids = Distinct(V2Params::List(req.get_param_value("id")));
    if (ids.empty() || ids.size() > kMostIds) return {400, kInvalidListBody};
    const bool map = req.get_param_value("map") == "true" || req.get_param_value("map") == "1";
    const Renderer::TextMode mode = req.get_param_value("tweet_mode") == "extended"
                                        ? Renderer::TextMode::Extended
                                        : Renderer::TextMode::Compatible;
    std::string body;
    body.reserve(ids.size() * 3500 + 64);
    JsonWriter json(body);
    if (map)
        json.BeginObject().Key("id").BeginObject();
    else
        json.BeginArray();
    for (const std::string& id : ids) {
        const std::optional<uint64_t> number = V2Params::Id(id);
        const std::optional<Tweet> post = number ? Visible(*number) : std::nullopt;
        if (map) json.Key(id);
        if (post)
            m_renderer.WriteTweet(json, *post, Renderer::TweetStyle::Timeline, mode);
        else if (map)
            json.Null();
    }
    if (map)
        json.EndObject().EndObject();
    else
        json.EndArray();
    return {200, std::move(body)};
}

}  // namespace marlin::emulator
