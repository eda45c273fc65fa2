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
    m_start = m_clock();
    m_share = 0;
    m_items = 0;
    m_pages = 0;
    m_rateText.clear();
    Notify(ChangeKind::Properties);
    SetVisible(true);
}

void ProgressBar::Advance(double share, long long items) {
    if (!std::isfinite(share)) share = 0;
    // A retrieval only goes forward; a page whose estimate falls back keeps the bar still.
    m_share = std::clamp(std::max(share, m_share), 0.0, 1.0);
    m_items = items;
    ++m_pages;
    UpdateRate();
    Notify(ChangeKind::Properties);
}

void ProgressBar::End() {
    SetVisible(false);
}

void ProgressBar::UpdateRate() {
    m_rateText = m_endKnown ? "" : Grouped(m_items) + " " + m_unit;
    if (m_pages < kPagesBeforeRate) return;
    const double minutes = std::chrono::duration<double>(m_clock() - m_start).count() / 60.0;
    if (minutes <= 0) return;
    if (!m_endKnown) {
        m_rateText += ", " + Grouped(std::llround(m_items / minutes)) + " " + m_unit + "/min";
        return;
    }
    m_rateText = Grouped(std::llround(m_items / minutes)) + " " + m_unit + "/min";
    if (m_share <= 0 || m_share >= 1) return;
    const double left = minutes * (1 - m_share) / m_share;
    m_rateText += left < 1 ? ", less than a minute left"
                           : ", about " + std::to_string(std::llround(left)) + " min left";
}

}  // namespace marlin
