#include "workspace/headless/headless_events.h"

namespace marlin {

void HeadlessEvents::Write(const std::string& line) {
    m_tk.Line(line);
    m_lastWritten = std::chrono::steady_clock::now();
}

void HeadlessEvents::Flush() {
    if (m_pending.empty()) return;
    Write(m_pending);
    m_pending.clear();
}

void HeadlessEvents::Log(const std::string& line) {
    Flush();
    Write(line);
}

void HeadlessEvents::Progress(const std::string& line) {
    // A page every few milliseconds would otherwise flood the stream.
    if (std::chrono::steady_clock::now() - m_lastWritten < std::chrono::seconds(1)) {
        m_pending = line;
        return;
    }
    m_pending.clear();
    Write(line);
}

void HeadlessEvents::Aside(const std::string& line) {
    Write(line);
}

bool HeadlessEvents::Ask(const Question& question) {
    Flush();
    // Unattended: a spent window is waited out and a command's cost was chosen with the
    // command (the spending limits hold it); nothing else goes on without its user.
    const bool ok = question.kind == Question::Kind::QuotaLow || question.kind == Question::Kind::Cost;
    const std::string line = question.title.empty() ? question.text : question.title + ": " + question.text;
    m_tk.Line(line + (ok ? " [OK]" : " [No]"));
    return ok;
}

void HeadlessEvents::Tell(const std::string& text, Notice, const std::string& title) {
    Flush();
    m_tk.Line(title.empty() ? text : title + ": " + text);
}

}  // namespace marlin
