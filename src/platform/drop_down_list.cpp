#include "platform/drop_down_list.h"

#include <stdexcept>

namespace marlin {

const std::string& DropDownList::Item(int index) const {
    CheckIndex(index);
    return m_items[index];
}

void DropDownList::AddItem(std::string text) {
    m_items.push_back(std::move(text));
    Notify(ChangeKind::Reset);
}

void DropDownList::InsertItem(int index, std::string text) {
    if (index < 0 || index > Count()) throw std::out_of_range("DropDownList: no such position");
    m_items.insert(m_items.begin() + index, std::move(text));
    if (m_selected >= index) ++m_selected;
    Notify(ChangeKind::Reset);
}

void DropDownList::RemoveItem(int index) {
    CheckIndex(index);
    m_items.erase(m_items.begin() + index);
    m_selected = SelectionAfterRemoval(m_selected, index);
    Notify(ChangeKind::Reset);
}

void DropDownList::Clear() {
    m_items.clear();
    m_selected = -1;
    Notify(ChangeKind::Reset);
}

void DropDownList::SetSelectedIndex(int index) {
    ShowAsSelected(index);
    if (index >= 0 && m_open) m_open(index);
}

void DropDownList::ShowAsSelected(int index) {
    if (index != -1) CheckIndex(index);
    if (m_selected != index) {
        m_selected = index;
        Notify(ChangeKind::Selection, index, index);
    }
}

std::string DropDownList::SelectedText() const {
    return m_selected >= 0 ? m_items[m_selected] : std::string();
}

void DropDownList::CheckIndex(int index) const {
    if (index < 0 || index >= Count()) throw std::out_of_range("DropDownList: no such entry");
}

}  // namespace marlin
