#include "workspace/engine/capture_spending.h"

#include "spending/service_usage.h"
#include "workspace/engine/request_charge.h"

namespace marlin {

namespace {

const char* KindName(CaptureKind kind) {
    switch (kind) {
        case CaptureKind::Search:
            return "search";
        case CaptureKind::Update:
            return "update";
        case CaptureKind::ContinueBack:
            return "continue";
        case CaptureKind::Timelines:
        case CaptureKind::Timeline:
            return "timelines";
        case CaptureKind::Lookup:
            return "lookup";
        case CaptureKind::Followers:
            return "followers";
        case CaptureKind::Friends:
            return "friends";
        case CaptureKind::Count:
            return "count";
        case CaptureKind::Sample:
            return "sample";
        case CaptureKind::Hydrate:
            return "hydrate";
        case CaptureKind::Conversation:
            return "conversation";
        case CaptureKind::Quotes:
            return "quotes";
        case CaptureKind::RepostedBy:
            return "reposted-by";
        case CaptureKind::LikingUsers:
            return "liking-users";
        case CaptureKind::ListMembers:
            return "list-members";
    }
    return "search";
}

}  // namespace

CaptureSpending::CaptureSpending(const std::filesystem::path& ledgerFile, const CaptureRequest& request)
    : m_guard(ledgerFile, request.prices, request.spendingLimits, RunOf(request)) {}

Ledger::Run CaptureSpending::RunOf(const CaptureRequest& request) {
    std::string subject = request.query;
    if (subject.empty()) {
        for (const std::string& account : request.accounts) subject += (subject.empty() ? "" : ",") + account;
    }
    if (subject.empty() && !request.postIds.empty()) {
        subject = std::to_string(request.postIds.front());
        if (request.postIds.size() > 1)
            subject += " and " + std::to_string(request.postIds.size() - 1) + " more";
    }
    return {KindName(request.kind), subject, "v2"};
}

std::optional<std::string> CaptureSpending::BeforeRequest(const std::string& url) {
    const std::optional<RequestCharge> charge = RequestCharge::Of(url);
    if (!charge) return std::nullopt;
    return m_guard.BeforeRequest(charge->kind, charge->objects);
}

std::optional<std::string> CaptureSpending::AfterAnswer(const std::string& url, int status,
                                                        const std::string& body) {
    if (status != 200)
        return ServiceUsage::CapSpent(status, body) ? std::optional<std::string>(kCapSpent) : std::nullopt;
    const std::optional<RequestCharge> charge = RequestCharge::Of(url);
    if (!charge) return std::nullopt;
    return m_guard.AfterAnswer(charge->kind, body);
}

std::optional<std::string> CaptureSpending::UsageDifference(const std::string& usageBody) {
    const std::optional<ServiceUsage> usage = ServiceUsage::Read(usageBody);
    if (!usage) return std::nullopt;
    return m_guard.UsageDifference(*usage);
}

}  // namespace marlin
