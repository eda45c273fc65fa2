#include "platform/progress_bar.h"

#include <algorithm>
#include <cmath>

namespace marlin {

ProgressBar::ProgressBar(Clock clock) : m_clock(std::move(clock)) {
    SetVisible(false);
}

std::string ProgressBar::Grouped(long long value) {
    const std::string digits = std::to_string(value < 0 ? -value : value);
    std::string text = value < 0 ? "-" : "";
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) text += ',';
        text += digits[i];
    }
    return text;
}

void ProgressBar::Begin(std::string unit, bool endKnown) {
    m_unit = std::move(unit);
    m_endKnown = endKnown;
    m_samples = {Sample{m_clock(), 0, 0}};
    m_share = 0;
    m_items = 0;
    m_pages = 0;
    m_rateText.clear();
    m_pageText.clear();
    m_note.clear();
    Notify(ChangeKind::Properties);
    SetVisible(true);
}

void ProgressBar::Advance(double share, long long items) {
    if (!std::isfinite(share)) share = 0;
    // A retrieval only goes forward; a page whose estimate falls back keeps the bar still.
    m_share = std::clamp(std::max(share, m_share), 0.0, 1.0);
    m_items = items;
    ++m_pages;
    m_waiting = false;
    UpdateRate();
    Notify(ChangeKind::Properties);
}

void ProgressBar::SetNote(std::string note) {
    if (note == m_note) return;
    m_note = std::move(note);
    if (Visible()) Notify(ChangeKind::Properties);
}

void ProgressBar::End() {
    SetVisible(false);
}

void ProgressBar::RequestWaiting() {
    const auto now = m_clock();
    if (!m_waiting) {
        m_waiting = true;
        m_requestSent = now;
    }
    const auto waited = std::chrono::duration_cast<std::chrono::seconds>(now - m_requestSent);
    if (waited <= kPatience) return;
    ShowText("waiting for the service (" + std::to_string(waited.count()) + " s)");
}

void ProgressBar::RequestAnswered() {
    m_waiting = false;
    ShowText(m_pageText);
}

void ProgressBar::ShowText(std::string text) {
    if (text == m_rateText) return;
    m_rateText = std::move(text);
    if (Visible()) Notify(ChangeKind::Properties);
}

void ProgressBar::UpdateRate() {
    const auto now = m_clock();
    m_samples.push_back(Sample{now, m_share, m_items});
    while (m_samples.size() > 1 && m_samples[1].at <= now - kRateWindow) m_samples.pop_front();
    const Sample& from = m_samples.front();

    m_rateText = m_endKnown ? "" : Grouped(m_items) + " " + m_unit;
    m_pageText = m_rateText;
    if (m_pages < kPagesBeforeRate) return;
    const double minutes = std::chrono::duration<double>(now - from.at).count() / 60.0;
    if (minutes <= 0) return;
    const long long perMinute = std::llround(static_cast<double>(m_items - from.items) / minutes);
    if (!m_endKnown) {
        m_rateText += ", " + Grouped(perMinute) + " " + m_unit + "/min";
    } else {
        m_rateText = Grouped(perMinute) + " " + m_unit + "/min";
        const double sharePerMinute = (m_share - from.share) / minutes;
        if (m_share > 0 && m_share < 1 && sharePerMinute > 0) {
            const double left = (1 - m_share) / sharePerMinute;
            m_rateText += left < 1 ? ", less than a minute left"
                                   : ", about " + std::to_string(std::llround(left)) + " min left";
        }
    }
    m_pageText = m_rateText;
}

}  // namespace marlin
