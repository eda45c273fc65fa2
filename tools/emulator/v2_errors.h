#pragma once

#include <string>

namespace marlin::emulator {

class JsonWriter;

// The error bodies of the v2 endpoints: a problem object for a refused request, and the entries of the
// partial `errors` array that a good answer may carry beside its data.
class V2Errors {
  public:
    // 400: {"errors":[{"parameters":{name:[value]},"message":…}],"title":"Invalid Request",…}
    static std::string InvalidRequest(const std::string& parameter, const std::string& value,
                                      const std::string& message);
    // {"title":…,"detail":…,"type":…,"status":N}
    static std::string Problem(int status, const std::string& title, const std::string& detail,
                               const std::string& type);
    static std::string TooManyRequests();
    static std::string Unauthorized();

    // One entry of a partial errors array: a post or user that could not be found.
    static void WriteNotFound(JsonWriter& json, const std::string& value, const std::string& resourceType,
                              const std::string& parameter);
    // One entry for an account whose posts or lists the caller may not see.
    static void WriteNotAuthorized(JsonWriter& json, const std::string& userId, const std::string& parameter);
    // One entry for a post that cannot be given: not found (deleted, or never posted), or not authorized
    // (its author's account is protected or suspended).
    static void WriteUnseenPost(JsonWriter& json, const std::string& postId, const std::string& parameter,
                                bool deleted);
};

}  // namespace marlin::emulator
