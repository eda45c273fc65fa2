#include "workspace/engine/capture_request.h"

#include <ctime>

#include "core/skd_funcs.h"

namespace marlin {

std::string CaptureRequest::ThresholdDateText() const {
    SKDFuncs::DateValue value{1970, 1, 1, 0, 0, 0};
    if (backTo) {
        value.year = static_cast<int>(backTo->year());
        value.month = static_cast<int>(static_cast<unsigned>(backTo->month()));
        value.day = static_cast<int>(static_cast<unsigned>(backTo->day()));
    }
    return SKDFuncs::FormatShortDate(value);
}

std::time_t CaptureRequest::ThresholdTime() const {
    if (!backTo) return 0;
    std::tm local{};
    local.tm_year = static_cast<int>(backTo->year()) - 1900;
    local.tm_mon = static_cast<int>(static_cast<unsigned>(backTo->month())) - 1;
    local.tm_mday = static_cast<int>(static_cast<unsigned>(backTo->day()));
    local.tm_isdst = -1;
    return std::mktime(&local);
}

std::chrono::year_month_day CaptureRequest::DaysBack(int days) {
    using namespace std::chrono;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const year_month_day today{year{local.tm_year + 1900}, month{static_cast<unsigned>(local.tm_mon + 1)},
                               day{static_cast<unsigned>(local.tm_mday)}};
    return year_month_day{sys_days{today} - std::chrono::days{days}};
}

}  // namespace marlin
