#include "platform/check_list.h"

#include <algorithm>
#include <stdexcept>

namespace marlin {

const std::string& CheckList::Item(int index) const {
    CheckIndex(index);
    return m_items[index].text;
}

std::vector<std::string> CheckList::Items() const {
    std::vector<std::string> items;
    items.reserve(m_items.size());
    for (const auto& entry : m_items) items.push_back(entry.text);
    return items;
}

int CheckList::Find(std::string_view text) const {
    for (int i = 0; i < Count(); ++i) {
        if (m_items[i].text == text) return i;
    }
    return -1;
}

void CheckList::AddItem(std::string text, bool checked) {
    m_items.push_back({std::move(text), checked});
    Notify(ChangeKind::RowsInserted, Count() - 1, Count() - 1);
}

void CheckList::InsertItem(int index, std::string text, bool checked) {
    if (index < 0 || index > Count()) throw std::out_of_range("CheckList: no such position");
    m_items.insert(m_items.begin() + index, {std::move(text), checked});
    if (m_selected >= index) ++m_selected;
    Notify(ChangeKind::Reset);
}

void CheckList::SetItem(int index, std::string text) {
    CheckIndex(index);
    if (m_items[index].text == text) return;
    m_items[index].text = std::move(text);
    Notify(ChangeKind::RowsChanged, index, index);
}

void CheckList::RemoveItem(int index) {
    CheckIndex(index);
    m_items.erase(m_items.begin() + index);
    m_selected = SelectionAfterRemoval(m_selected, index);
    Notify(ChangeKind::Reset);
}

void CheckList::Clear() {
    m_items.clear();
    m_selected = -1;
    Notify(ChangeKind::Reset);
}

void CheckList::SetItems(std::vector<std::string> items) {
    m_items.clear();
    m_items.reserve(items.size());
    for (auto& text : items) m_items.push_back({std::move(text), false});
    m_selected = -1;
    Notify(ChangeKind::Reset);
}

bool CheckList::Checked(int index) const {
    CheckIndex(index);
    return m_items[index].checked;
}

void CheckList::SetChecked(int index, bool checked) {
    CheckIndex(index);
    if (m_items[index].checked == checked) return;
    m_items[index].checked = checked;
    Notify(ChangeKind::RowsChanged, index, index);
    if (m_itemCheck) m_itemCheck(index);
}

void CheckList::SetAllChecked(bool checked) {
    for (int i = 0; i < Count(); ++i) SetChecked(i, checked);
}

int CheckList::CheckedCount() const {
    return static_cast<int>(
        std::count_if(m_items.begin(), m_items.end(), [](const Entry& entry) { return entry.checked; }));
}

void CheckList::SetSelectedIndex(int index) {
    if (index != -1) CheckIndex(index);
    if (m_selected == index) return;
    m_selected = index;
    Notify(ChangeKind::Selection, index, index);
    if (index >= 0 && m_click) m_click();
}

void CheckList::ClickSelected() {
    if (m_selected >= 0 && m_click) m_click();
}

std::string CheckList::SelectedText() const {
    return m_selected >= 0 ? m_items[m_selected].text : std::string();
}

void CheckList::SetCheckBoxes(bool on) {
    SetProperty(m_checkBoxes, on, ChangeKind::Reset);
}

void CheckList::SetBold(bool bold) {
    SetProperty(m_bold, bold);
}

void CheckList::DoubleClick() {
    if (m_doubleClick) m_doubleClick();
}

void CheckList::CheckIndex(int index) const {
    if (index < 0 || index >= Count()) throw std::out_of_range("CheckList: no such item");
}

}  // namespace marlin
