// The JSON reader on arbitrary text: the scan, every per-entry query and the element
// searches the record sets and the token request use.

#include <stdexcept>

#include "core/json_deserializer.h"
#include "fuzz_support.h"
#include "platform/testing/scripted_toolkit.h"

using marlin::JSONDeserializer;

namespace {

// The element names the callers search for, and a few that corner the searches.
const char* const kElements[] = {"id",       "id_str",          "text", "created_at", "expanded_url",
                                 "statuses", "next_cursor_str", "user", "",           "\"",
                                 "\\",       "token_type",      "urls", "coordinates"};

constexpr int kElementCount = sizeof kElements / sizeof kElements[0];

// The element searches as plain substring searches of the own text: the reader answers
// through an index, and must answer exactly this.
std::string PlainElement(const std::string& t, const std::string& name) {
    const std::size_t a = t.find(name + '"');
    if (a == std::string::npos) return {};
    const std::size_t b = a + name.size() + 2;
    if (b >= t.size()) return {};
    const char terminator = t[b] == '"' ? '"' : t[b] == '[' ? ']' : ',';
    std::size_t f = t.find(terminator, b + 1);
    while (f != std::string::npos && t[f - 1] == '\\') f = t.find(terminator, f + 1);
    std::string value = f == std::string::npos ? t.substr(b) : t.substr(b, f - b);
    std::erase_if(value, [](char c) { return c == '"' || c == '['; });
    return value;
}

std::vector<std::string> PlainAllElements(const std::string& t, const std::string& name) {
    std::vector<std::string> slots;
    std::size_t from = 0;
    for (std::size_t a = t.find(name + '"', from); a != std::string::npos && slots.size() <= 32767;
         a = t.find(name + '"', from)) {
        if (slots.empty()) slots.emplace_back();
        const std::size_t b = a + name.size() + 2;
        std::string value;
        if (b < t.size()) {
            const std::size_t f = t.find(t[b] == '"' ? '"' : ',', b + 1);
            value = f == std::string::npos ? t.substr(b) : t.substr(b, f - b);
        }
        std::erase(value, '"');
        slots.push_back(std::move(value));
        from = b;
    }
    return slots;
}

// Every search on every entry would spend the run on searching; the option byte picks
// two names per input, and the fuzzer tries them all.
void CheckEntry(const JSONDeserializer& reader, int k, std::uint8_t pick) {
    const int count = reader.ObjectCount();
    FUZZ_CHECK(reader.ObjectLevel(k) >= 1);
    const int parent = reader.ObjectParent(k);
    FUZZ_CHECK(parent >= 0 && parent < k);
    FUZZ_CHECK((parent == 0) == (k == 1));
    const int last = reader.LastChild(k);
    FUZZ_CHECK(last == 0 || (last >= k && last <= count));
    const std::string text = reader.ObjectText(k);
    const std::string own = reader.OwnText(k);
    FUZZ_CHECK(own.size() <= text.size());

    for (const char* name :
         {kElements[(pick >> 1) % kElementCount], kElements[(pick >> 5) % kElementCount]}) {
        FUZZ_CHECK(reader.GetElementInObject(k, name) == PlainElement(own, name));
        const std::string within = reader.GetElementWithinObject(k, name);
        reader.GetTextWithinObject(k, name);
        const std::string last = reader.GetLastElementInObject(k, name);
        const auto all = reader.GetAllElementsInObject(k, name);
        FUZZ_CHECK(all.empty() || (all.size() >= 2 && all[0].empty()));
        FUZZ_CHECK(all == PlainAllElements(own, name));
        if (k > 1) {  // only entry 1 can hold text past its own closing brace
            FUZZ_CHECK(within == PlainElement(own, name));
            FUZZ_CHECK(last == (all.empty() ? std::string() : all.back()));
        }
    }
    const std::string name = reader.ObjectName(k);
    FUZZ_CHECK(reader.ObjectCount(name) >= 1 || name.empty());
    reader.GetElementInObject(k, name);
    const int first = reader.ObjectIndex(name, 1);
    FUZZ_CHECK(first >= 0 && first < count);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const marlin::fuzz::Input input(data, size);
    marlin::testing::ScriptedToolkit toolkit;
    JSONDeserializer reader(toolkit);
    reader.Read(input.text, input.Flag(0));

    const int count = reader.ObjectCount();
    FUZZ_CHECK(count >= 0);
    if (input.text.size() < 8) FUZZ_CHECK(count == 0);
    // The empty entries at both ends of the list.
    for (int k : {0, count + 1}) {
        FUZZ_CHECK(reader.ObjectName(k).empty() && reader.ObjectLevel(k) == 0 && reader.ObjectParent(k) == 0);
        FUZZ_CHECK(reader.OwnText(k).empty());
        reader.ObjectText(k);
        FUZZ_CHECK(reader.GetElementInObject(k, "id").empty());
    }
    for (int k = 1; k <= count; ++k) CheckEntry(reader, k, input.flags);

    // Any index beyond the list is the caller's error, reported rather than read.
    bool thrown = false;
    try {
        reader.ObjectText(count + 2);
    } catch (const std::out_of_range&) {
        thrown = true;
    }
    FUZZ_CHECK(thrown);
    return 0;
}
