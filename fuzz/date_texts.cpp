// The date-time conversions and the small text helpers on arbitrary text. Besides not
// crashing, a conversion never shifts the clock: the service and SPSS forms of a date
// read back as the same local date-time.

#include "core/skd_funcs.h"
#include "fuzz_support.h"

namespace SKD = marlin::SKDFuncs;

namespace {

// The local form of a date text, or nothing when it is no date.
std::optional<std::string> Local(const std::string& text) {
    try {
        return SKD::ToLocalDateTime(text);
    } catch (const SKD::ConversionError&) {
        return std::nullopt;
    }
}

void CheckRoundTrip(const std::string& text) {
    std::string service, spss;
    try {
        service = SKD::ToServiceDateTime(text);
        spss = SKD::ToSPSSDateTime(text);
    } catch (const SKD::ConversionError&) {
        return;
    }
    FUZZ_CHECK(service.empty() == spss.empty());
    if (service.empty()) return;
    const auto local = Local(text);
    FUZZ_CHECK(local.has_value());
    const std::string expected = SKD::FormatLocalDateTime(SKD::ToDate(*local));
    FUZZ_CHECK(Local(service) == expected);
    FUZZ_CHECK(Local(spss) == expected);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    marlin::fuzz::PinTimeZone();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const marlin::fuzz::Input input(data, size);
    const std::string& text = input.text;

    Local(text);
    CheckRoundTrip(text);
    if (const auto value = SKD::ReadDate(text)) {
        FUZZ_CHECK(value->month >= 1 && value->month <= 12 && value->day >= 1 && value->day <= 31);
        FUZZ_CHECK(SKD::ReadDate(SKD::FormatLocalDateTime(*value)) == value);
        FUZZ_CHECK(!SKD::DayName(text, input.Flag(0)).empty());
    }
    std::string month = text;
    SKD::MonthName(month, input.Flag(0));
    SKD::MonthNumber(text);

    std::string padded = text;
    const std::string result = SKD::PadNumber(padded, input.flags);
    FUZZ_CHECK(result.size() >= padded.size());
    SKD::RoundHalfEven(SKD::LeadingNumber(text));
    SKD::UrlEncode(text);
    SKD::FileExists(text);
    return 0;
}
