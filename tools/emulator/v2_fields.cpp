#include "emulator/v2_fields.h"

#include <vector>

#include "emulator/v2_errors.h"

namespace marlin::emulator {

namespace {

struct FieldList {
    const char* parameter;
    std::vector<const char*> known;
};

// The names the service accepts, in the order its error message lists them.
const FieldList kPostFields{"tweet.fields",
                            {"attachments",
                             "author_id",
                             "context_annotations",
                             "conversation_id",
                             "created_at",
                             "edit_controls",
                             "edit_history_tweet_ids",
                             "entities",
                             "geo",
                             "id",
                             "in_reply_to_user_id",
                             "lang",
                             "note_tweet",
                             "possibly_sensitive",
                             "public_metrics",
                             "referenced_tweets",
                             "reply_settings",
                             "source",
                             "text",
                             "withheld"}};
const FieldList kUserFields{"user.fields",
                            {"created_at", "description", "entities", "id", "location", "name",
                             "pinned_tweet_id", "profile_image_url", "protected", "public_metrics", "url",
                             "username", "verified", "verified_type", "withheld"}};
const FieldList kPlaceFields{
    "place.fields",
    {"contained_within", "country", "country_code", "full_name", "geo", "id", "name", "place_type"}};
const FieldList kExpansions{
    "expansions",
    {"attachments.media_keys", "attachments.poll_ids", "author_id", "edit_history_tweet_ids",
     "entities.mentions.username", "geo.place_id", "in_reply_to_user_id", "pinned_tweet_id",
     "referenced_tweets.id", "referenced_tweets.id.author_id"}};

bool ReadList(const V2Fields::Params& params, const FieldList& list, std::set<std::string>& into,
              std::string* problem) {
    auto it = params.find(list.parameter);
    if (it == params.end()) return true;
    const std::string& text = it->second;
    size_t begin = 0;
    while (begin <= text.size()) {
        size_t comma = text.find(',', begin);
        if (comma == std::string::npos) comma = text.size();
        std::string name = text.substr(begin, comma - begin);
        begin = comma + 1;
        bool known = false;
        for (const char* k : list.known) known = known || name == k;
        if (!known) {
            std::string all;
            for (const char* k : list.known) {
                if (!all.empty()) all += ',';
                all += k;
            }
            // Built in steps: GCC 12 warns of a false overlap in the one-expression form.
            std::string message = "The `";
            message += list.parameter;
            message += "` query parameter value [" + name + "] is not one of [" + all + "]";
            *problem = V2Errors::InvalidRequest(list.parameter, text, message);
            return false;
        }
        into.insert(name);
    }
    return true;
}

}  // namespace

std::optional<V2Fields> V2Fields::Read(const Params& params, std::string* problem) {
    V2Fields fields;
    if (!ReadList(params, kPostFields, fields.m_post, problem) ||
        !ReadList(params, kUserFields, fields.m_user, problem) ||
        !ReadList(params, kPlaceFields, fields.m_place, problem) ||
        !ReadList(params, kExpansions, fields.m_expansions, problem))
        return std::nullopt;
    return fields;
}

}  // namespace marlin::emulator
