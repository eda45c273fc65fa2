#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace marlin {

// One answer of the service's v2 API, read with a JSON parser made for the job (simdjson)
// and kept as the exact texts the service sent: the objects of `data`, those of `includes`
// by id, the `errors`, `meta` and, for an error answer, `title` and `detail`. Every text
// handed out is a view into the page's own copy of the body, valid until the next Read.
//
// Values are raw JSON: objects and arrays whole, strings with their quotes and escapes,
// numbers as written. So a value copied on is the very bytes the service sent.
//
// Read walks the whole body once and files every object's fields and every array's
// elements, so that Pick and Elements look them up instead of parsing the object again. A
// body the walk cannot finish is read object by object as it is asked for (PerObject), which
// gives the same values wherever the walk gives any.
class V2Page {
  public:
    enum class Reading { Indexed, PerObject };

    explicit V2Page(Reading reading = Reading::Indexed);
    ~V2Page();
    V2Page(const V2Page&) = delete;
    V2Page& operator=(const V2Page&) = delete;

    // The JSON type of a raw value, read from its first byte.
    enum class Type { Absent, Object, Array, String, Number, Boolean, Null };

    // Reads one body; false when it is not a JSON object (nothing is held then).
    bool Read(std::string_view body);

    // The whole top-level object read, and its `data` member as sent (empty when absent).
    std::string_view Top() const { return m_top; }
    std::string_view DataValue() const { return m_dataValue; }

    // The objects of `data`, in order (a single object counts as a list of one).
    const std::vector<std::string_view>& Data() const { return m_data; }
    // An object of includes.users / includes.tweets / includes.places; empty when absent.
    std::string_view IncludedUser(std::string_view id) const { return Find(m_users, id); }
    std::string_view IncludedTweet(std::string_view id) const { return Find(m_tweets, id); }
    std::string_view IncludedPlace(std::string_view id) const { return Find(m_places, id); }
    const std::vector<std::string_view>& Errors() const { return m_errors; }
    std::string_view Meta() const { return m_meta; }
    std::string_view Title() const { return m_title; }
    std::string_view Detail() const { return m_detail; }

    // The raw values of the named fields of one object of this page, in the order of
    // names; empty where a field is missing or the object cannot be read.
    std::vector<std::string_view> Pick(std::string_view object,
                                       std::initializer_list<std::string_view> names);
    // The raw elements of one array of this page.
    std::vector<std::string_view> Elements(std::string_view array);

    // A string value without its quotes (its escapes stay); other values as they are.
    static std::string_view Unquoted(std::string_view value);
    // True for a value that says nothing: empty, null or "".
    static bool Absent(std::string_view value) { return value.empty() || value == "null" || value == "\"\""; }
    static Type TypeOf(std::string_view value);
    // "object", "array", "text", "number", "true or false", "null"; "" for Absent.
    static const char* TypeName(Type type);

  private:
    struct Parser;
    struct Walk;
    using ById = std::unordered_map<std::string_view, std::string_view>;
    // A run of m_fields (an object's) or of m_items (an array's).
    struct Run {
        std::uint32_t begin = 0;
        std::uint32_t end = 0;
        std::size_t size = 0;  // the raw value's length, to tell it from a view that only starts there
        bool object = false;
        std::size_t at = 0;  // where it starts in the body
    };
    struct Field {
        const char* key;  // its raw text, after the opening quote
        std::string_view value;
    };

    static std::string_view Find(const ById& map, std::string_view id);
    void Index(std::string_view array, ById& map);
    void Clear();
    bool ReadTopParsing(std::string_view text, std::string_view& data, std::string_view& includes,
                        std::string_view& errors);
    bool IndexWhole(std::string_view text);
    void File(const char* start, const Run& run);
    const Run* Filed(std::string_view value, bool object) const;
    std::vector<std::string_view> PickParsing(std::string_view object,
                                              std::initializer_list<std::string_view> names);
    std::vector<std::string_view> ElementsParsing(std::string_view array);

    Reading m_reading;
    bool m_indexed = false;  // the last Read filed the whole body
    std::vector<Field> m_fields;
    std::vector<std::string_view> m_items;
    std::vector<Run> m_runs;
    // Per byte of the body read: 1 + the index of the run of the object or array that starts
    // there, 0 for none. Kept between pages; Clear zeroes only what was set.
    std::vector<std::uint32_t> m_runAt;
    std::unique_ptr<Parser> m_parser;
    std::vector<std::string_view> m_data;
    ById m_users;
    ById m_tweets;
    ById m_places;
    std::vector<std::string_view> m_errors;
    std::string_view m_top;
    std::string_view m_dataValue;
    std::string_view m_meta;
    std::string_view m_title;
    std::string_view m_detail;
};

}  // namespace marlin
