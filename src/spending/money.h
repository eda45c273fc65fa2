#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace marlin {

// An amount of US dollars, held as whole millionths so that sums of half-cent prices over
// millions of reads come out exact (a double would drift in the last cent).
class Money {
  public:
    constexpr Money() = default;
    static constexpr Money Micros(std::int64_t micros) { return Money(micros); }
    static constexpr Money Dollars(std::int64_t dollars) { return Money(dollars * kMicrosPerDollar); }

    // "25", "$25.00", " 0.005 ", "1e-3" is refused: plain decimals only, at most six places,
    // nothing negative, at most a trillion dollars. Nothing when the text is not such an amount.
    static std::optional<Money> Parse(std::string_view text);

    constexpr std::int64_t micros() const { return m_micros; }
    // "25.00", "24.85", "0.005": at least two places, more only where the amount has them.
    std::string Text() const;
    // Text() after a dollar sign: "$25.00".
    std::string Shown() const;

    constexpr Money operator+(Money other) const { return Money(m_micros + other.m_micros); }
    constexpr Money operator-(Money other) const { return Money(m_micros - other.m_micros); }
    constexpr Money operator*(std::int64_t times) const { return Money(m_micros * times); }
    Money& operator+=(Money other) {
        m_micros += other.m_micros;
        return *this;
    }
    constexpr auto operator<=>(const Money&) const = default;

  private:
    static constexpr std::int64_t kMicrosPerDollar = 1000000;
    constexpr explicit Money(std::int64_t micros) : m_micros(micros) {}
    std::int64_t m_micros = 0;
};

}  // namespace marlin
