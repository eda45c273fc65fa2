#include "emulator/v2_params.h"

#include <httplib.h>

#include <algorithm>

#include "emulator/v2_errors.h"

namespace marlin::emulator {

std::optional<uint64_t> V2Params::Id(const std::string& text) {
    if (text.empty() || text.size() > 19) return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    return value;
}

std::vector<std::string> V2Params::List(const std::string& text) {
    std::vector<std::string> items;
    size_t begin = 0;
    while (begin < text.size()) {
        size_t comma = std::min(text.find(',', begin), text.size());
        if (comma > begin) items.push_back(text.substr(begin, comma - begin));
        begin = comma + 1;
    }
    return items;
}

V2Answer V2Params::Invalid(const std::string& parameter, const std::string& value,
                           const std::string& message) {
    return {400, V2Errors::InvalidRequest(parameter, value, message)};
}

std::optional<V2Answer> V2Params::PageSize(const httplib::Request& req, int low, int high, int& size) {
    if (!req.has_param("max_results")) return std::nullopt;
    const std::string text = req.get_param_value("max_results");
    auto value = Id(text);
    if (!value || *value < static_cast<uint64_t>(low) || *value > static_cast<uint64_t>(high))
        return Invalid("max_results", text,
                       "The `max_results` query parameter value [" + text + "] is not between " +
                           std::to_string(low) + " and " + std::to_string(high));
    size = static_cast<int>(*value);
    return std::nullopt;
}

}  // namespace marlin::emulator
