#include "platform/splitter.h"

namespace marlin {

void Splitter::SetSizes(std::vector<int> sizes) {
    SetProperty(m_sizes, std::move(sizes));
}

}  // namespace marlin
