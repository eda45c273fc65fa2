#include "platform/option_group.h"

#include <stdexcept>

namespace marlin {

const std::string& OptionGroup::Caption(int index) const {
    if (index < 0 || index >= Count()) throw std::out_of_range("OptionGroup: no such option");
    return m_captions[index];
}

void OptionGroup::SetCaption(int index, std::string caption) {
    Caption(index);
    if (m_captions[index] == caption) return;
    m_captions[index] = std::move(caption);
    Notify(ChangeKind::Properties);
}

int OptionGroup::AddOption(std::string caption) {
    m_captions.push_back(std::move(caption));
    Notify(ChangeKind::Reset);
    return Count() - 1;
}

void OptionGroup::SetSelectedIndex(int index) {
    if (index != -1) Caption(index);
    if (m_selected != index) {
        m_selected = index;
        Notify(ChangeKind::Selection, index, index);
    }
    // Choosing the chosen option again still runs its click, as pressing it would.
    if (index >= 0 && m_click) m_click(index);
}

}  // namespace marlin
