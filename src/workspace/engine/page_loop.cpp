#include "workspace/engine/page_loop.h"

namespace marlin {

bool PageLoop::Run(Pager& pager) {
    std::string stopLine;
    while (pager.Ready()) {
        pager.Fetch();
        if (!pager.Check(stopLine)) {
            if (!stopLine.empty()) m_events.Log(stopLine);
            return false;
        }
        pager.Take();
        if (!pager.More()) break;
    }
    return true;
}

}  // namespace marlin
