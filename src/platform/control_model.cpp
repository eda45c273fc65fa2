#include "platform/control_model.h"

namespace marlin {

void ControlModel::SetEnabled(bool enabled) {
    SetProperty(m_enabled, enabled);
}

void ControlModel::SetVisible(bool visible) {
    SetProperty(m_visible, visible);
}

void ControlModel::SetToolTip(std::string toolTip) {
    SetProperty(m_toolTip, std::move(toolTip));
}

void ControlModel::SetFocus() {
    ++m_focusRequests;
    Notify(ChangeKind::Focus);
}

void ControlModel::ContextMenu() {
    if (m_contextMenuAction) m_contextMenuAction();
}

}  // namespace marlin
