#include "platform/splitter.h"

namespace marlin {

void Splitter::SetSizes(std::vector<int> sizes) {
    if (m_sizes == sizes) return;
    m_sizes = std::move(sizes);
    Notify(ChangeKind::Properties);
}

}  // namespace marlin
