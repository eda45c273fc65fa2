#include "emulator/rate_limiter.h"

#include <algorithm>

namespace marlin::emulator {

RateLimiter::RateLimiter(const EmulatorConfig& config)
    : m_windowSeconds(std::max(1, config.windowSeconds)),
      m_bskyWindowSeconds(std::max(1, config.bskyWindowSeconds)),
      m_limits(config.limits) {
    for (int k = 0; k < kLimitedFamilyCount; ++k)
        m_firstRemaining[k] =
            config.startRemaining[k] < 0 ? m_limits[k] : std::min(config.startRemaining[k], m_limits[k]);
}

void RateLimiter::AddToken(const std::string& token) {
    std::lock_guard lock(m_mutex);
    m_windows.try_emplace(token);
}

int RateLimiter::WindowSeconds(Family family) const {
    return family >= Family::BskySession && family <= Family::BskyProfiles ? m_bskyWindowSeconds
                                                                            : m_windowSeconds;
}

RateLimiter::Window& RateLimiter::Current(const std::string& token, Family family, int64_t now) {
    int k = static_cast<int>(family);
    Window& w = m_windows[token][k];
    if (!w.opened) {
        w = {now + WindowSeconds(family), m_firstRemaining[k], true};
    } else if (now >= w.reset) {
        w = {now + WindowSeconds(family), m_limits[k], true};
    }
    return w;
}

RateLimiter::Verdict RateLimiter::Take(const std::string& token, Family family, int64_t now) {
    std::lock_guard lock(m_mutex);
    Window& w = Current(token, family, now);
    Verdict v{w.remaining > 0, m_limits[static_cast<int>(family)], 0, w.reset};
    if (v.allowed) --w.remaining;
    v.remaining = w.remaining;
    return v;
}

RateLimiter::Verdict RateLimiter::Peek(const std::string& token, Family family, int64_t now) {
    std::lock_guard lock(m_mutex);
    int k = static_cast<int>(family);
    // Looking opens no window: one that is not open yet (or has ended) is reported as the next would start.
    Window w{now + WindowSeconds(family), m_firstRemaining[k], true};
    auto it = m_windows.find(token);
    if (it != m_windows.end() && it->second[k].opened) {
        w = it->second[k];
        if (now >= w.reset) w = {now + WindowSeconds(family), m_limits[k], true};
    }
    return {w.remaining > 0, m_limits[k], w.remaining, w.reset};
}

void RateLimiter::SetRemaining(Family family, int remaining, int64_t now) {
    std::lock_guard lock(m_mutex);
    int k = static_cast<int>(family);
    m_firstRemaining[k] = remaining;
    for (auto& [token, windows] : m_windows) Current(token, family, now).remaining = remaining;
}

}  // namespace marlin::emulator
