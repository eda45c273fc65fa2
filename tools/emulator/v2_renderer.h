#pragma once

#include <cstdint>
#include <string>

#include "emulator/account.h"
#include "emulator/tweet.h"

namespace marlin::emulator {

class Corpus;
class JsonWriter;
class V2Fields;

// Writes posts, users and places as the v2 endpoints send them: string ids, ISO 8601 times, and only the
// default fields of an object and those the request asked for.
class V2Renderer {
  public:
    explicit V2Renderer(const Corpus& corpus) : m_corpus(corpus) {}

    void WritePost(JsonWriter& json, const Tweet& tweet, const V2Fields& fields) const;
    void WriteUser(JsonWriter& json, const Account& account, const V2Fields& fields) const;
    void WritePlace(JsonWriter& json, int place, const V2Fields& fields) const;

    // "2026-12-09T08:28:09.000Z"
    static std::string IsoTime(int64_t secondsUtc);

  private:
    void WriteEntities(JsonWriter& json, const Tweet& tweet) const;
    void WriteMetrics(JsonWriter& json, const Tweet& tweet) const;
    void WriteReferences(JsonWriter& json, const Tweet& tweet) const;
    void WriteGeo(JsonWriter& json, const Tweet& tweet) const;
    void WriteUserEntities(JsonWriter& json, const Account& account) const;

    const Corpus& m_corpus;
};

}  // namespace marlin::emulator
