#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>

#include "emulator/emulator_config.h"

namespace marlin::emulator {

// The quota windows: one per token and family. A window opens with the first request after the previous
// one ended and lasts windowSeconds; each answered request takes one from its remaining count.
class RateLimiter {
  public:
    struct Verdict {
        bool allowed = false;
        int limit = 0;
        int remaining = 0;  // after this request
        int64_t reset = 0;  // seconds since 1970 UTC
    };

    explicit RateLimiter(const EmulatorConfig& config);

    // Counts one request of the family at `now` (seconds since 1970 UTC).
    Verdict Take(const std::string& token, Family family, int64_t now);
    // The window as it stands, without counting a request or opening a window.
    Verdict Peek(const std::string& token, Family family, int64_t now);
    // Sets the remaining count of the family's current window for every token seen so far, and of the
    // first window of tokens not seen yet.
    void SetRemaining(Family family, int remaining, int64_t now);
    void AddToken(const std::string& token);

  private:
    struct Window {
        int64_t reset = 0;
        int remaining = 0;
        bool opened = false;
    };
    using Windows = std::array<Window, kLimitedFamilyCount>;

    Window& Current(const std::string& token, Family family, int64_t now);
    int WindowSeconds(Family family) const;

    std::mutex m_mutex;
    int m_windowSeconds;
    int m_bskyWindowSeconds;  // the second service's windows
    std::array<int, kLimitedFamilyCount> m_limits;
    std::array<int, kLimitedFamilyCount> m_firstRemaining;
    std::map<std::string, Windows> m_windows;
};

}  // namespace marlin::emulator
