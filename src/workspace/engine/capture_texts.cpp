#include "workspace/engine/capture_texts.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <optional>

#include "core/skd_funcs.h"

namespace marlin {

std::string CaptureTexts::NowText() {
    return SKDFuncs::FormatLocalDateTime(SKDFuncs::Now());
}

bool CaptureTexts::CanBeScreenNameOrId(const std::string& text) {
    constexpr std::size_t kLongest = 50;  // older accounts have names beyond today's 15
    return !text.empty() && text.size() <= kLongest && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
    });
}

bool CaptureTexts::CanBeHandleOrDid(const std::string& text) {
    constexpr std::size_t kLongest = 253;  // a domain name's longest
    if (text.size() > 4 && text.starts_with("did:"))
        return std::none_of(text.begin(), text.end(),
                            [](char c) { return std::isspace(static_cast<unsigned char>(c)); });
    return text.size() <= kLongest && text.find('.') != std::string::npos && text.front() != '.' &&
           text.back() != '.' && std::all_of(text.begin(), text.end(), [](char c) {
               return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-';
           });
}

bool CaptureTexts::IsPostId(const std::string& text) {
    std::uint64_t id = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
    return !text.empty() && std::isdigit(static_cast<unsigned char>(text.front())) && error == std::errc() &&
           end == text.data() + text.size() && id > 0;
}

namespace {

// " [a], [b]"
std::string Bracketed(const std::vector<std::string>& entries) {
    std::string text;
    for (std::size_t i = 0; i < entries.size(); ++i) text += (i == 0 ? " [" : ", [") + entries[i] + "]";
    return text;
}

}  // namespace

std::string CaptureTexts::SkippedLine(const std::vector<std::string>& skipped) {
    return "Skipped " + std::to_string(skipped.size()) +
           " entries that are not screen names or user ids:" + Bracketed(skipped);
}

std::string CaptureTexts::NotFoundLine(int found, int asked, const std::vector<std::string>& missing) {
    return "Found " + std::to_string(found) + " of " + std::to_string(asked) +
           " users; not found:" + Bracketed(missing);
}

double CaptureTexts::SpanShare(const std::string& newest, const std::string& oldest,
                               const std::string& threshold) {
    const auto seconds = [](const std::string& text) -> std::optional<long long> {
        std::optional<SKDFuncs::DateValue> date;
        try {
            date = SKDFuncs::ReadDate(SKDFuncs::ToLocalDateTime(text));
        } catch (const SKDFuncs::ConversionError&) {
        }
        if (!date) return std::nullopt;
        return SKDFuncs::DayNumber(*date) * 86400LL + date->hour * 3600LL + date->minute * 60LL +
               date->second;
    };
    const auto top = seconds(newest), low = seconds(oldest), bottom = seconds(threshold);
    if (!top || !low || !bottom || *top <= *bottom) return 0;
    return static_cast<double>(*top - *low) / static_cast<double>(*top - *bottom);
}

std::string CaptureTexts::UndatedLine(int count) {
    return std::to_string(count) + " statuses kept without a readable date (created_at)";
}

std::string CaptureTexts::EndLine(const std::string& prefix, bool reached, bool cancelled,
                                  const std::string& thresholdDate, const std::string& responseCode,
                                  const std::string& stopReason) {
    if (reached) return prefix + "terminated at user threshold date (" + thresholdDate + ")";
    if (cancelled && !stopReason.empty()) return prefix + stopReason;
    if (cancelled) return prefix + "user cancelled the procedure";
    return prefix + "no more statuses available: " + responseCode;
}

}  // namespace marlin
