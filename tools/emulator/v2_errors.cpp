#include "emulator/v2_errors.h"

#include "emulator/json_writer.h"

namespace marlin::emulator {

namespace {
// Built in two steps: GCC 12 warns of a false overlap when a literal and a literal are joined in one
// expression.
std::string ProblemType(const char* name) {
    std::string type = "https://api.twitter.com/2/problems/";
    type += name;
    return type;
}
}  // namespace

std::string V2Errors::InvalidRequest(const std::string& parameter, const std::string& value,
                                     const std::string& message) {
    std::string body;
    JsonWriter json(body, JsonWriter::Escaping::Minimal);
    json.BeginObject().Key("errors").BeginArray().BeginObject();
    json.Key("parameters").BeginObject().Key(parameter).BeginArray().String(value).EndArray().EndObject();
    json.Field("message", message).EndObject().EndArray();
    json.Field("title", "Invalid Request")
        .Field("detail", "One or more parameters to your request was invalid.");
    json.Field("type", ProblemType("invalid-request")).EndObject();
    return body;
}

std::string V2Errors::Problem(int status, const std::string& title, const std::string& detail,
                              const std::string& type) {
    std::string body;
    JsonWriter json(body, JsonWriter::Escaping::Minimal);
    json.BeginObject().Field("title", title).Field("detail", detail).Field("type", type);
    json.Field("status", status).EndObject();
    return body;
}

std::string V2Errors::TooManyRequests() {
    return Problem(429, "Too Many Requests", "Too Many Requests", "about:blank");
}

std::string V2Errors::Unauthorized() {
    return Problem(401, "Unauthorized", "Unauthorized", "about:blank");
}

void V2Errors::WriteNotFound(JsonWriter& json, const std::string& value, const std::string& resourceType,
                             const std::string& parameter) {
    json.BeginObject().Field("value", value);
    json.Field("detail", "Could not find " + resourceType + " with " + parameter + ": [" + value + "].");
    json.Field("title", "Not Found Error").Field("resource_type", resourceType).Field("parameter", parameter);
    json.Field("resource_id", value).Field("type", ProblemType("resource-not-found")).EndObject();
}

void V2Errors::WriteNotAuthorized(JsonWriter& json, const std::string& userId, const std::string& parameter) {
    json.BeginObject().Field("value", userId);
    json.Field("detail", "Sorry, you are not authorized to see the user with id: [" + userId + "].");
    json.Field("title", "Authorization Error").Field("resource_type", "user").Field("parameter", parameter);
    json.Field("resource_id", userId).Field("type", ProblemType("not-authorized-for-resource"));
    json.EndObject();
}

void V2Errors::WriteUnseenPost(JsonWriter& json, const std::string& postId, const std::string& parameter,
                               bool deleted) {
    if (deleted) return WriteNotFound(json, postId, "tweet", parameter);
    json.BeginObject().Field("value", postId);
    json.Field("detail",
               "Sorry, you are not authorized to see the Tweet with " + parameter + ": [" + postId + "].");
    json.Field("title", "Authorization Error").Field("resource_type", "tweet").Field("parameter", parameter);
    json.Field("resource_id", postId).Field("section", "data");
    json.Field("type", ProblemType("not-authorized-for-resource")).EndObject();
}

}  // namespace marlin::emulator
