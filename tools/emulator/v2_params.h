#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "emulator/v2_service.h"

namespace httplib {
struct Request;
}

namespace marlin::emulator {

// How the v2 endpoints read their parameters, and the 400 answers they give for one the service refuses.
class V2Params {
  public:
    // An id of up to 19 digits (the service's ids fit in 63 bits).
    static std::optional<uint64_t> Id(const std::string& text);
    // A comma-separated list; empty items are dropped.
    static std::vector<std::string> List(const std::string& text);
    static V2Answer Invalid(const std::string& parameter, const std::string& value,
                            const std::string& message);
    // max_results when given: a number within the endpoint's range; nothing, or the answer refusing it.
    static std::optional<V2Answer> PageSize(const httplib::Request& req, int low, int high, int& size);
};

}  // namespace marlin::emulator
