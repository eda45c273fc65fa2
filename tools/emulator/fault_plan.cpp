#include "emulator/fault_plan.h"

#include <cmath>

namespace marlin::emulator {

void FaultPlan::Add(const FaultRule& rule) {
    std::lock_guard lock(m_mutex);
    State& s = m_states[static_cast<int>(rule.family)];
    if (rule.count > 0 || rule.fraction <= 0) {
        s.countedFault = rule.fault;
        s.countLeft = rule.count;
        s.countedStall = rule.stallSeconds;
    } else {
        s.sharedFault = rule.fault;
        s.fraction = rule.fraction;
        s.sharedStall = rule.stallSeconds;
        s.seen = 0;
    }
}

void FaultPlan::Clear() {
    std::lock_guard lock(m_mutex);
    m_states.fill(State{});
}

FaultPlan::Decision FaultPlan::Next(Family family) {
    std::lock_guard lock(m_mutex);
    State& s = m_states[static_cast<int>(family)];
    if (s.countLeft > 0) {
        --s.countLeft;
        return {s.countedFault, s.countedStall};
    }
    if (s.fraction > 0) {
        // Request n gets the fault when the running share crosses a whole number: with 0.25, requests
        // 4, 8, 12...; deterministic, so a test knows which ones fail.
        long long n = ++s.seen;
        bool hit = std::floor(n * s.fraction + 1e-9) > std::floor((n - 1) * s.fraction + 1e-9);
        if (hit) return {s.sharedFault, s.sharedStall};
    }
    return {};
}

}  // namespace marlin::emulator
