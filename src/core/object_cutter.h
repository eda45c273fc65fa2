#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace simdjson::internal {
class dom_parser_implementation;
}

namespace marlin {

// Cuts the tweet or user objects out of a response body of the usual shape, over the
// structural index that simdjson's fastest kernel for this processor builds (chosen at run
// time). Its answers are those of the raw archive's full parser, which it stands in for on
// the bodies the service sends; a body of any other shape it leaves to that parser.
class ObjectCutter {
  public:
    // One object of the body: its id_str and its text up to the next token.
    struct Cut {
        std::string_view id;
        std::string_view raw;
    };
    enum class Shape {
        Records,  // the objects are in cuts (none when the records array is empty)
        Other,    // an object at the top without "statuses" or "users" (a v2 answer)
        Unsure,   // anything else: the full parser decides
    };

    ObjectCutter();
    ~ObjectCutter();
    ObjectCutter(const ObjectCutter&) = delete;
    ObjectCutter& operator=(const ObjectCutter&) = delete;

    // The body must be followed by the padding simdjson reads past its end; cuts point into it.
    Shape Read(std::string_view paddedBody, std::vector<Cut>& cuts);

  private:
    bool Index(std::string_view paddedBody);
    char At(std::size_t i) const { return m_text[m_index[i]]; }
    std::size_t Close(std::size_t open) const;
    std::size_t After(std::size_t value) const;
    bool KeyIs(std::size_t key, std::string_view name) const;
    Shape RecordsArray(std::size_t& array) const;
    bool ReadArray(std::size_t array, std::vector<Cut>& cuts) const;
    bool ReadObject(std::size_t& pos, std::vector<Cut>& cuts) const;

    std::unique_ptr<simdjson::internal::dom_parser_implementation> m_stage1;
    const char* m_text = nullptr;
    const std::uint32_t* m_index = nullptr;
    std::size_t m_count = 0;  // structural characters in m_index
};

}  // namespace marlin
