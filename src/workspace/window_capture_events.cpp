#include "workspace/window_capture_events.h"

namespace marlin {

bool WindowCaptureEvents::Ask(const std::string& question) {
    return m_tk.MessageBox(question, MsgButtons::OKCancel) != MsgResult::Cancel;
}

void WindowCaptureEvents::Tell(const std::string& text, Notice notice) {
    m_tk.MessageBox(text, MsgButtons::OK,
                    notice == Notice::Warning ? MsgIcon::Exclamation : MsgIcon::Information);
}

}  // namespace marlin
