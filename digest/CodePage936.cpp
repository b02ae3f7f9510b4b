#include "CodePage936.h"

#include <array>
#include <cstddef>
#include <optional>
#include <stdexcept>

#include "Utf8Units.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace qob {
namespace {

constexpr std::int32_t kUnmappable = '?';

constexpr bool isSurrogate(char32_t u) {
    return u >= 0xD800 && u <= 0xDFFF;
}
constexpr bool isLeadByte(unsigned b) {
    return b >= 0x81 && b <= 0xFE;
}

// The platform's CP936 converter, asked one character at a time while the tables are built.
// Nothing else in the program talks to iconv or the Windows code page functions.
class PlatformConverter {
  public:
    struct Bytes {
        unsigned char data[2];
        int size;
    };

    PlatformConverter();
    ~PlatformConverter();
    PlatformConverter(const PlatformConverter&) = delete;
    PlatformConverter& operator=(const PlatformConverter&) = delete;

    // The bytes CP936 writes for one BMP unit (never a surrogate), or nothing if it has none.
    std::optional<Bytes> encode(char16_t unit);
    // The single BMP unit CP936 reads from exactly these bytes, or nothing.
    std::optional<char16_t> decode(const unsigned char* bytes, int size);

  private:
#ifdef _WIN32
    static constexpr UINT kCodePage = 936;
    // Windows also maps its user-defined area and the byte 0xFF onto private-use characters;
    // glibc does not. Leaving them out keeps a record's digest the same on both systems.
    static constexpr bool isPrivateUse(char16_t u) {
        return u >= 0xE000 && u <= 0xF8FF;
    }
#else
    void close();

    iconv_t encoder_;
    iconv_t decoder_;
#endif
};

#ifdef _WIN32

PlatformConverter::PlatformConverter() {
    CPINFO info;
    if (!GetCPInfo(kCodePage, &info)) throw std::runtime_error("code page 936 is not installed");
}

PlatformConverter::~PlatformConverter() = default;

std::optional<PlatformConverter::Bytes> PlatformConverter::encode(char16_t unit) {
    if (isPrivateUse(unit)) return std::nullopt;
    const wchar_t wide = static_cast<wchar_t>(unit);
    char out[4];
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, &wide, 1, out,
                                      static_cast<int>(sizeof out), nullptr, &usedDefault);
    if (n < 1 || n > 2 || usedDefault) return std::nullopt;
    Bytes bytes{{static_cast<unsigned char>(out[0]), static_cast<unsigned char>(out[n - 1])}, n};
    return bytes;
}

std::optional<char16_t> PlatformConverter::decode(const unsigned char* bytes, int size) {
    wchar_t out[2];
    const int n = MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS,
                                      reinterpret_cast<const char*>(bytes), size, out, 2);
    if (n != 1 || isPrivateUse(static_cast<char16_t>(out[0]))) return std::nullopt;
    return static_cast<char16_t>(out[0]);
}

#else

// glibc knows "CP936" as Microsoft's table (with 0x80 for the euro sign). "GB18030" must not be
// used here: it writes every character, falling back to four-byte codes, while CP936 has to
// refuse characters it does not have.
PlatformConverter::PlatformConverter()
    : encoder_(iconv_open("CP936", "UTF-16LE")), decoder_(iconv_open("UTF-16LE", "CP936")) {
    if (encoder_ == reinterpret_cast<iconv_t>(-1) || decoder_ == reinterpret_cast<iconv_t>(-1)) {
        close();
        throw std::runtime_error("iconv has no CP936 converter");
    }
}

PlatformConverter::~PlatformConverter() {
    close();
}

void PlatformConverter::close() {
    if (encoder_ != reinterpret_cast<iconv_t>(-1)) iconv_close(encoder_);
    if (decoder_ != reinterpret_cast<iconv_t>(-1)) iconv_close(decoder_);
    encoder_ = decoder_ = reinterpret_cast<iconv_t>(-1);
}

std::optional<PlatformConverter::Bytes> PlatformConverter::encode(char16_t unit) {
    char in[2] = {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    char out[8];
    char* inPtr = in;
    char* outPtr = out;
    std::size_t inLeft = sizeof in;
    std::size_t outLeft = sizeof out;
    iconv(encoder_, nullptr, nullptr, nullptr, nullptr);
    // A non-zero count means an approximate ("irreversible") conversion: not a real mapping.
    if (iconv(encoder_, &inPtr, &inLeft, &outPtr, &outLeft) != 0 || inLeft != 0) {
        return std::nullopt;
    }
    const int n = static_cast<int>(sizeof out - outLeft);
    if (n < 1 || n > 2) return std::nullopt;
    Bytes bytes{{static_cast<unsigned char>(out[0]), static_cast<unsigned char>(out[n - 1])}, n};
    return bytes;
}

std::optional<char16_t> PlatformConverter::decode(const unsigned char* bytes, int size) {
    char in[2];
    for (int i = 0; i < size; ++i)
        in[i] = static_cast<char>(bytes[i]);
    char out[8];
    char* inPtr = in;
    char* outPtr = out;
    std::size_t inLeft = static_cast<std::size_t>(size);
    std::size_t outLeft = sizeof out;
    iconv(decoder_, nullptr, nullptr, nullptr, nullptr);
    if (iconv(decoder_, &inPtr, &inLeft, &outPtr, &outLeft) != 0 || inLeft != 0) {
        return std::nullopt;
    }
    if (sizeof out - outLeft != 2) return std::nullopt;
    const auto unit = static_cast<char16_t>(static_cast<unsigned char>(out[0]) |
                                            static_cast<unsigned char>(out[1]) << 8);
    if (isSurrogate(unit)) return std::nullopt;
    return unit;
}

#endif

// Everything the conversions need, read from the platform once.
struct Tables {
    // Digest code of each UTF-16 unit (see codePage936Code).
    std::array<std::int32_t, 0x10000> codeOfUnit;
    // Unit for a byte 0x80..0xFF standing alone (index byte - 0x80); 0 if it is not a character.
    std::array<char16_t, 0x80> unitOfHighByte;
    // Unit for a pair p, q with p >= 0x80 (index (p - 0x80) << 8 | q); 0 if it is not a character.
    std::array<char16_t, 0x8000> unitOfPair;

    Tables() {
        codeOfUnit.fill(kUnmappable);
        unitOfHighByte.fill(0);
        unitOfPair.fill(0);
        PlatformConverter converter;

        for (std::int32_t u = 0; u < 0x80; ++u)
            codeOfUnit[u] = u;
        for (char32_t u = 0x80; u <= 0xFFFF; ++u) {
            if (isSurrogate(u)) continue;
            const auto bytes = converter.encode(static_cast<char16_t>(u));
            if (!bytes) continue;
            const unsigned p = bytes->data[0];
            const unsigned q = bytes->data[1];
            if (bytes->size == 1 && p >= 0x80) {
                codeOfUnit[u] = static_cast<std::int32_t>(p);
            } else if (bytes->size == 2 && isLeadByte(p)) {
                codeOfUnit[u] = static_cast<std::int32_t>(0xFFFF0000u | p << 8 | q);
            }
        }

        for (unsigned b = 0x80; b <= 0xFF; ++b) {
            const unsigned char byte = static_cast<unsigned char>(b);
            if (const auto unit = converter.decode(&byte, 1); unit && *unit >= 0x80) {
                unitOfHighByte[b - 0x80] = *unit;
            }
        }
        for (unsigned p = 0x81; p <= 0xFE; ++p) {
            for (unsigned q = 0x40; q <= 0xFE; ++q) {
                const unsigned char pair[2] = {static_cast<unsigned char>(p),
                                               static_cast<unsigned char>(q)};
                if (const auto unit = converter.decode(pair, 2); unit && *unit >= 0x80) {
                    unitOfPair[(p - 0x80) << 8 | q] = *unit;
                }
            }
        }

        // A converter that answers with some other table would seal records that no other copy
        // of the program can check; refuse it.
        if (codeOfUnit[0x4E2D] != static_cast<std::int32_t>(0xFFFFD6D0u) ||
            unitOfPair[(0xD6 - 0x80) << 8 | 0xD0] != 0x4E2D) {
            throw std::runtime_error("the CP936 converter does not give the expected bytes");
        }
    }
};

const Tables& tables() {
    static const Tables instance;  // thread-safe one-time build
    return instance;
}

void appendUtf8(std::string& out, char16_t unit) {
    if (unit < 0x80) {
        out.push_back(static_cast<char>(unit));
    } else if (unit < 0x800) {
        out.push_back(static_cast<char>(0xC0 | unit >> 6));
        out.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | unit >> 12));
        out.push_back(static_cast<char>(0x80 | (unit >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
    }
}

std::size_t asciiPrefixLength(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && static_cast<unsigned char>(text[i]) < 0x80)
        ++i;
    return i;
}

}  // namespace

std::u16string utf16FromUtf8(std::string_view utf8) {
    std::u16string units;
    units.reserve(utf8.size());
    detail::forEachUtf16Unit(utf8, [&units](char16_t unit) { units.push_back(unit); });
    return units;
}

std::int32_t codePage936Code(char16_t unit) {
    if (unit < 0x80) return unit;
    return tables().codeOfUnit[unit];
}

std::string toCodePage936(std::string_view utf8) {
    const std::size_t prefix = asciiPrefixLength(utf8);
    std::string out(utf8.substr(0, prefix));
    if (prefix == utf8.size()) return out;

    out.reserve(utf8.size());
    const auto& codes = tables().codeOfUnit;
    detail::forEachUtf16Unit(utf8.substr(prefix), [&out, &codes](char16_t unit) {
        const std::int32_t code = codes[unit];
        if (code >= 0) {
            out.push_back(static_cast<char>(code));
        } else {
            out.push_back(static_cast<char>(code >> 8 & 0xFF));
            out.push_back(static_cast<char>(code & 0xFF));
        }
    });
    return out;
}

std::string fromCodePage936(std::string_view bytes) {
    const std::size_t prefix = asciiPrefixLength(bytes);
    std::string out(bytes.substr(0, prefix));
    if (prefix == bytes.size()) return out;

    out.reserve(bytes.size() + bytes.size() / 2);
    const Tables& t = tables();
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    std::size_t i = prefix;
    while (i < n) {
        const unsigned b = p[i];
        if (b < 0x80) {
            out.push_back(static_cast<char>(b));
            ++i;
            continue;
        }
        if (const char16_t unit = t.unitOfHighByte[b - 0x80]) {
            appendUtf8(out, unit);
            ++i;
            continue;
        }
        if (isLeadByte(b) && i + 1 < n) {
            const unsigned q = p[i + 1];
            if (const char16_t unit = t.unitOfPair[(b - 0x80) << 8 | q]) {
                appendUtf8(out, unit);
                i += 2;
                continue;
            }
            // A broken pair whose second byte is not ASCII: both bytes belong to the bad
            // character, and taking them together keeps the next pair aligned.
            if (q >= 0x80) {
                out += "??";
                i += 2;
                continue;
            }
        }
        out.push_back('?');
        ++i;
    }
    return out;
}

}  // namespace qob
