#include "emulator/usage_meter.h"

#include <httplib.h>

#include <algorithm>
#include <ctime>
#include <optional>

#include "emulator/hashing.h"
#include "emulator/json_writer.h"
#include "emulator/v2_errors.h"

namespace marlin::emulator {

namespace {

constexpr int64_t kDaySeconds = 86400;
constexpr const char* kFieldNames[] = {"cap_reset_day",       "daily_client_app_usage",
                                       "daily_project_usage", "project_cap",
                                       "project_id",          "project_usage"};

std::tm Utc(int64_t seconds) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm parts{};
    gmtime_r(&t, &parts);
    return parts;
}

std::string DayText(int64_t day) {
    const std::tm parts = Utc(day * kDaySeconds);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT00:00:00.000Z", &parts);
    return text;
}

bool Listed(const std::vector<std::string>& fields, const char* name) {
    return std::find(fields.begin(), fields.end(), name) != fields.end();
}

std::vector<std::string> SplitFields(const std::string& text) {
    std::vector<std::string> fields;
    for (size_t begin = 0; begin <= text.size();) {
        const size_t comma = std::min(text.find(',', begin), text.size());
        if (comma > begin) fields.push_back(text.substr(begin, comma - begin));
        begin = comma + 1;
    }
    return fields;
}

// days: 1 to 90.
std::optional<V2Answer> ReadDays(const httplib::Request& req, int& days) {
    if (!req.has_param("days")) return std::nullopt;
    const std::string text = req.get_param_value("days");
    const bool digits = !text.empty() && text.size() <= 2 &&
                        std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    days = digits ? std::stoi(text) : 0;
    if (days >= 1 && days <= 90) return std::nullopt;
    return V2Answer{
        400, V2Errors::InvalidRequest(
                 "days", text, "The `days` query parameter value [" + text + "] is not between 1 and 90")};
}

// usage.fields: names of kFieldNames; without it, the fields of the service's own example.
std::optional<V2Answer> ReadFields(const httplib::Request& req, std::vector<std::string>& fields) {
    fields = SplitFields(req.get_param_value("usage.fields"));
    std::string known;
    for (const char* name : kFieldNames) {
        if (!known.empty()) known += ',';
        known += name;
    }
    for (const std::string& field : fields)
        if (std::none_of(std::begin(kFieldNames), std::end(kFieldNames),
                         [&](const char* name) { return field == name; }))
            return V2Answer{400, V2Errors::InvalidRequest("usage.fields", field,
                                                          "The `usage.fields` query parameter value [" +
                                                              field + "] is not one of [" + known + "]")};
    if (fields.empty()) fields = {"cap_reset_day", "project_cap", "project_id", "project_usage"};
    return std::nullopt;
}

}  // namespace

UsageMeter::UsageMeter(const EmulatorConfig& config)
    : m_cap(config.postCap),
      m_projectId(std::to_string(1000000000000000000ULL + Hash(config.seed, 0x9A) % 900000000000000000ULL)),
      m_appId(std::to_string(10000000 + HashText(config.consumerKey) % 90000000)) {}

int64_t UsageMeter::MonthOf(int64_t day) const {
    const std::tm parts = Utc(day * kDaySeconds);
    return (parts.tm_year + 1900) * 12 + parts.tm_mon;
}

int64_t UsageMeter::InMonthLocked(int64_t now) const {
    const int64_t month = MonthOf(now / kDaySeconds);
    int64_t posts = 0;
    for (const auto& [day, ids] : m_days)
        if (MonthOf(day) == month) posts += static_cast<int64_t>(ids.size());
    return posts;
}

bool UsageMeter::CapSpent(int64_t now) const {
    std::lock_guard lock(m_mutex);
    return InMonthLocked(now) >= m_cap;
}

void UsageMeter::Count(const std::vector<uint64_t>& posts, int64_t now) {
    std::lock_guard lock(m_mutex);
    m_days[now / kDaySeconds].insert(posts.begin(), posts.end());
}

int64_t UsageMeter::PostsOn(int64_t now) const {
    std::lock_guard lock(m_mutex);
    const auto found = m_days.find(now / kDaySeconds);
    return found == m_days.end() ? 0 : static_cast<int64_t>(found->second.size());
}

int64_t UsageMeter::PostsInMonth(int64_t now) const {
    std::lock_guard lock(m_mutex);
    return InMonthLocked(now);
}

std::string UsageMeter::CapBody() const {
    std::string body;
    JsonWriter json(body, JsonWriter::Escaping::Minimal);
    json.BeginObject().Field("account_id", m_projectId).Field("product_name", "pay-per-use");
    json.Field("title", "UsageCapExceeded").Field("period", "Monthly").Field("scope", "Product");
    json.Field("detail", "Usage cap exceeded: Monthly product cap");
    json.Field("type", "https://api.twitter.com/2/problems/usage-capped").EndObject();
    return body;
}

V2Answer UsageMeter::Answer(const httplib::Request& req, int64_t now) const {
    int days = 7;
    if (auto bad = ReadDays(req, days)) return *bad;
    std::vector<std::string> fields;
    if (auto bad = ReadFields(req, fields)) return *bad;

    std::lock_guard lock(m_mutex);
    const int64_t today = now / kDaySeconds;
    auto writeDays = [&](JsonWriter& json) {
        json.Key("usage").BeginArray();
        for (int64_t day = today - days + 1; day <= today; ++day) {
            const auto found = m_days.find(day);
            const int64_t posts = found == m_days.end() ? 0 : static_cast<int64_t>(found->second.size());
            json.BeginObject().Field("date", DayText(day)).Field("usage", posts).EndObject();
        }
        json.EndArray();
    };
    std::string body;
    JsonWriter json(body, JsonWriter::Escaping::Minimal);
    json.BeginObject().Key("data").BeginObject();
    if (Listed(fields, "cap_reset_day")) {
        const std::tm parts = Utc(now);
        std::tm next{};
        next.tm_year = parts.tm_mon == 11 ? parts.tm_year + 1 : parts.tm_year;
        next.tm_mon = (parts.tm_mon + 1) % 12;
        next.tm_mday = 1;
        json.Field("cap_reset_day", static_cast<int64_t>(timegm(&next)) / kDaySeconds - today);
    }
    if (Listed(fields, "daily_client_app_usage")) {
        json.Key("daily_client_app_usage").BeginArray().BeginObject().Field("client_app_id", m_appId);
        writeDays(json);
        json.Field("usage_result_count", days).EndObject().EndArray();
    }
    if (Listed(fields, "daily_project_usage")) {
        json.Key("daily_project_usage").BeginObject().Field("project_id", m_projectId);
        writeDays(json);
        json.EndObject();
    }
    if (Listed(fields, "project_cap")) json.Field("project_cap", std::to_string(m_cap));
    if (Listed(fields, "project_id")) json.Field("project_id", m_projectId);
    if (Listed(fields, "project_usage")) json.Field("project_usage", std::to_string(InMonthLocked(now)));
    json.EndObject().EndObject();
    return {200, std::move(body)};
}

}  // namespace marlin::emulator
