#include "workspace/engine/counted_progress.h"

namespace marlin {

void CountedProgress::Begin(const std::string& unit, long long total) {
    m_total = total;
    m_done = 0;
    m_items = 0;
    m_events.MeterBegin(unit, total > 0);
}

void CountedProgress::Page(long long newItems) {
    m_items += newItems;
    m_events.MeterAdvance(m_total > 0 ? static_cast<double>(m_done) / m_total : 0.0, m_items);
}

}  // namespace marlin
