#pragma once
// The text forms of the web: request targets and HTML.

#include <optional>
#include <string>
#include <string_view>

namespace qob::site {

// A request target split at its first "?".
struct Target {
    std::string_view path;
    std::string_view query;
};
Target splitTarget(std::string_view target);

// The value of the first "key=value" of a query, still percent-encoded; nothing when the
// key is absent.
std::optional<std::string_view> queryValue(std::string_view query, std::string_view key);

// "%XX" to the byte XX; every other byte, "+" included, stays itself. Nothing when a "%"
// is not followed by two hexadecimal digits.
std::optional<std::string> percentDecode(std::string_view text);

// Text made safe inside HTML elements and quoted attribute values.
std::string htmlEscape(std::string_view text);

}  // namespace qob::site
