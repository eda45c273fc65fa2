#include "platform/control_model.h"

namespace marlin {

void ControlModel::SetEnabled(bool enabled) {
    if (m_enabled == enabled) return;
    m_enabled = enabled;
    Notify(ChangeKind::Properties);
}

void ControlModel::SetVisible(bool visible) {
    if (m_visible == visible) return;
    m_visible = visible;
    Notify(ChangeKind::Properties);
}

void ControlModel::SetToolTip(std::string toolTip) {
    if (m_toolTip == toolTip) return;
    m_toolTip = std::move(toolTip);
    Notify(ChangeKind::Properties);
}

void ControlModel::SetFocus() {
    ++m_focusRequests;
    Notify(ChangeKind::Focus);
}

void ControlModel::ContextMenu() {
    if (m_contextMenuAction) m_contextMenuAction();
}

}  // namespace marlin
