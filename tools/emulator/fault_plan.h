#pragma once

#include <array>
#include <mutex>

#include "emulator/emulator_config.h"

namespace marlin::emulator {

// Which requests get an injected fault: per family, the next N requests, or an evenly spread share of them.
class FaultPlan {
  public:
    struct Decision {
        Fault fault = Fault::None;
        int stallSeconds = 0;
    };

    void Add(const FaultRule& rule);
    void Clear();
    // Called once per request of the family; says what to do to it.
    Decision Next(Family family);

  private:
    struct State {
        Fault countedFault = Fault::None;
        int countLeft = 0;
        int countedStall = 0;
        Fault sharedFault = Fault::None;
        double fraction = 0;
        int sharedStall = 0;
        long long seen = 0;
    };

    std::mutex m_mutex;
    std::array<State, kFamilyCount> m_states{};
};

}  // namespace marlin::emulator
