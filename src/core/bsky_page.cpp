#include "core/bsky_page.h"

#include <cstdlib>

#include "core/exact_text.h"

namespace marlin {

bool BskyPage::Read(std::string_view body) {
    m_top = {};
    std::size_t first = body.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos || body[first] != '{') return false;
    // As the `data` of a page the answer is held whole and can be picked apart where it lies.
    m_wrapped.assign("{\"data\":").append(body).append("}");
    if (!m_page.Read(m_wrapped) || m_page.Data().size() != 1) return false;
    m_top = m_page.Data().front();
    return true;
}

std::vector<std::string_view> BskyPage::Elements(std::string_view array) {
    if (array.empty() || array.front() != '[') return {};
    return m_page.Elements(array);
}

std::string BskyPage::Text(std::string_view raw) {
    if (raw.size() < 2 || raw.front() != '"' || raw.back() != '"') return {};
    return ExactText::Decode(raw.substr(1, raw.size() - 2));
}

long long BskyPage::Number(std::string_view raw, long long fallback) {
    if (raw.empty() || !((raw.front() >= '0' && raw.front() <= '9') || raw.front() == '-')) return fallback;
    return std::strtoll(std::string(raw).c_str(), nullptr, 10);
}

}  // namespace marlin
