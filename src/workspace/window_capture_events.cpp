#include "workspace/window_capture_events.h"

#include "spending/spending_forecast.h"

namespace marlin {

void WindowCaptureEvents::Log(const std::string& line) {
    m_c.log.Append(line);
    m_c.log.ScrollToLast();
}

bool WindowCaptureEvents::Ask(const Question& question) {
    const std::string title = question.title.empty() ? kApplicationTitle : question.title;
    switch (question.kind) {
        case Question::Kind::QuotaLow:
            return m_tk.MessageBox(question.text, title, MsgButtons::OKCancel, MsgIcon::None) !=
                   MsgResult::Cancel;
        case Question::Kind::Retry:
        case Question::Kind::Cost:
            return m_tk.MessageBox(question.text, title, MsgButtons::YesNo, MsgIcon::Question) ==
                   MsgResult::Yes;
        case Question::Kind::ReplaceTable:
            return m_tk.MessageBox(question.text, title, MsgButtons::YesNo, MsgIcon::None) == MsgResult::Yes;
    }
    return false;
}

void WindowCaptureEvents::Tell(const std::string& text, Notice notice, const std::string& title) {
    m_tk.MessageBox(text, title.empty() ? kApplicationTitle : title, MsgButtons::OK,
                    notice == Notice::Warning ? MsgIcon::Exclamation : MsgIcon::Information);
}

void WindowCaptureEvents::Status(Panel panel, const std::string& text) {
    m_c.status.SetPanel(static_cast<int>(panel), text);
}

std::string WindowCaptureEvents::StatusShown(Panel panel) const {
    return m_c.status.Panel(static_cast<int>(panel));
}

void WindowCaptureEvents::MeterAdvance(double share, long long items) {
    m_c.meter.Advance(share, items);
    if (m_spent) m_c.meter.SetNote(SpendingForecast::ProgressText(*m_spent, m_c.meter.Percent() / 100.0));
}

void WindowCaptureEvents::MeterEnd() {
    m_c.meter.End();
    m_spent.reset();
}

void WindowCaptureEvents::Waiting(bool waiting) {
    if (waiting)
        m_c.meter.RequestWaiting();
    else
        m_c.meter.RequestAnswered();
}

}  // namespace marlin
