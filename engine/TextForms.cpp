#include "TextForms.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace qob {

std::string formatDouble(double value) {
    if (value == 0) return "0";  // also turns -0 into 0
    // As printf's "%.15G" writes it, but never with the decimal comma of the
    // player's locale, which no reader would take back.
    char buf[40];
    const auto [end, ec] =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    std::string text(buf, ec == std::errc() ? end : buf);
    for (char& c : text)
        if (c == 'e') c = 'E';
    return text;
}

std::int32_t roundToInt32(double value) {
    constexpr double kMin = std::numeric_limits<std::int32_t>::min();
    constexpr double kMax = std::numeric_limits<std::int32_t>::max();
    if (std::isnan(value)) return 0;
    const double r = std::nearbyint(value);
    if (r <= kMin) return std::numeric_limits<std::int32_t>::min();
    if (r >= kMax) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(r);
}

std::int32_t saturatingAdd(std::int32_t a, std::int64_t b) {
    const std::int64_t sum = static_cast<std::int64_t>(a) + b;
    if (sum > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (sum < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(sum);
}

std::optional<std::int32_t> parseInt32(std::string_view text) {
    std::string_view digits = text;
    if (!digits.empty() && digits.front() == '-') digits.remove_prefix(1);
    if (digits.empty() || digits.front() < '0' || digits.front() > '9') return std::nullopt;
    std::int32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<double> parseDouble(std::string_view text) {
    std::string_view body = text;
    if (!body.empty() && body.front() == '-') body.remove_prefix(1);
    // from_chars would take "inf", "nan" and hexadecimal forms; the writer never makes them.
    if (body.empty() || !((body.front() >= '0' && body.front() <= '9') || body.front() == '.'))
        return std::nullopt;
    for (char c : body)
        if (!((c >= '0' && c <= '9') || c == '.' || c == 'E' || c == 'e' || c == '+' || c == '-'))
            return std::nullopt;
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

namespace {
bool isContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}
}  // namespace

std::string_view firstCharacterView(std::string_view text) {
    std::size_t end = text.empty() ? 0 : 1;
    while (end < text.size() && isContinuationByte(text[end]))
        ++end;
    return text.substr(0, end);
}

std::string firstCharacter(std::string_view text) {
    return std::string(firstCharacterView(text));
}

std::size_t characterCount(std::string_view text) {
    std::size_t count = 0;
    for (char c : text)
        if (!isContinuationByte(c)) ++count;
    return count;
}

}  // namespace qob
