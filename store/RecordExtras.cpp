#include "RecordExtras.h"

#include "RecordCodec.h"

namespace qob {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

bool needsEscape(unsigned char c) {
    return c == '%' || c == '|' || c < 0x20 || c == 0x7F;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The text after field 200, starting with its "|", or nothing.
std::string_view piecesAfterFields(std::string_view text) {
    std::size_t at = 0;
    for (int bars = 0; bars < kRecordFieldCount; ++bars) {
        at = text.find('|', bars == 0 ? 0 : at + 1);
        if (at == std::string_view::npos) return {};
    }
    return text.substr(at);
}

}  // namespace

std::string escapeExtraValue(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (const char ch : value) {
        const auto c = static_cast<unsigned char>(ch);
        if (needsEscape(c)) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        } else {
            out += ch;
        }
    }
    return out;
}

std::optional<std::string> unescapeExtraValue(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '%') {
            out += value[i];
            continue;
        }
        if (i + 2 >= value.size()) return std::nullopt;
        const int high = hexValue(value[i + 1]);
        const int low = hexValue(value[i + 2]);
        if (high < 0 || low < 0) return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

std::string formatExtras(const std::vector<RecordExtra>& extras) {
    std::string out;
    for (const auto& [key, value] : extras) {
        out += '|';
        out += key;
        out += '=';
        out += escapeExtraValue(value);
    }
    return out;
}

namespace {

// The value of the first piece with this key, as written.
std::optional<std::string_view> rawExtra(std::string_view recordText, std::string_view key) {
    std::string_view rest = piecesAfterFields(recordText);
    while (!rest.empty()) {
        rest.remove_prefix(1);  // the "|" before the piece
        const std::size_t bar = rest.find('|');
        const std::string_view piece = rest.substr(0, bar);
        rest = bar == std::string_view::npos ? std::string_view() : rest.substr(bar);
        if (piece.size() > key.size() && piece.substr(0, key.size()) == key &&
            piece[key.size()] == '=')
            return piece.substr(key.size() + 1);
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> findExtra(std::string_view recordText, std::string_view key) {
    const std::optional<std::string_view> raw = rawExtra(recordText, key);
    if (!raw) return std::nullopt;
    return unescapeExtraValue(*raw);
}

bool hasExtra(std::string_view recordText, std::string_view key) {
    return rawExtra(recordText, key).has_value();
}

bool appendGameLog(std::string& recordText, const GameLog& log) {
    if (!log.intact() || log.text().empty()) return false;
    // The log's characters need no escape.
    const std::string piece = formatExtras({{kLogKey, log.text()}});
    if (recordText.size() + piece.size() > kScoreRecordLimit) return false;
    recordText += piece;
    return true;
}

}  // namespace qob
