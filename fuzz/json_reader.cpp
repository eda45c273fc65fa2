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
    const std::string& own = reader.OwnText(k);
    FUZZ_CHECK(own.size() <= text.size());

    for (const char* name :
         {kElements[(pick >> 1) % kElementCount], kElements[(pick >> 5) % kElementCount]}) {
        reader.GetElementInObject(k, name);
        reader.GetElementWithinObject(k, name);
        reader.GetLastElementInObject(k, name);
        const auto all = reader.GetAllElementsInObject(k, name);
        FUZZ_CHECK(all.empty() || (all.size() >= 2 && all[0].empty()));
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
    JSONDeserializer reader(toolkit.Yielder());
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
