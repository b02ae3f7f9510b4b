#include "Md5Digest.h"

#include <array>
#include <cstddef>

#include "CodePage936.h"
#include "Md5DigestDetail.h"
#include "Utf8Units.h"

namespace qob {
namespace {

// Words needed for L units plus the 0x80 marker and the two length words, in whole 16-word blocks.
constexpr std::size_t messageWordCount(std::size_t units) {
    return 16 * ((units + 8) / 64 + 1);
}

constexpr std::uint32_t rotl(std::uint32_t x, int c) {
    return x << c | x >> (32 - c);
}

constexpr std::uint32_t f(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return (x & y) | (~x & z);
}
constexpr std::uint32_t g(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return (x & z) | (y & ~z);
}
constexpr std::uint32_t h(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return x ^ y ^ z;
}
constexpr std::uint32_t i(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return y ^ (x | ~z);
}

template <std::uint32_t (*Mix)(std::uint32_t, std::uint32_t, std::uint32_t)>
inline void step(std::uint32_t& a, std::uint32_t b, std::uint32_t c, std::uint32_t d,
                 std::uint32_t word, int shift, std::uint32_t constant) {
    a = b + rotl(a + Mix(b, c, d) + word + constant, shift);
}

void compress(std::array<std::uint32_t, 4>& state, const std::uint32_t* x) {
    std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];

    step<f>(a, b, c, d, x[0], 7, 0xd76aa478);
    step<f>(d, a, b, c, x[1], 12, 0xe8c7b756);
    step<f>(c, d, a, b, x[2], 17, 0x242070db);
    step<f>(b, c, d, a, x[3], 22, 0xc1bdceee);
    step<f>(a, b, c, d, x[4], 7, 0xf57c0faf);
    step<f>(d, a, b, c, x[5], 12, 0x4787c62a);
    step<f>(c, d, a, b, x[6], 17, 0xa8304613);
    step<f>(b, c, d, a, x[7], 22, 0xfd469501);
    step<f>(a, b, c, d, x[8], 7, 0x698098d8);
    step<f>(d, a, b, c, x[9], 12, 0x8b44f7af);
    step<f>(c, d, a, b, x[10], 17, 0xffff5bb1);
    step<f>(b, c, d, a, x[11], 22, 0x895cd7be);
    step<f>(a, b, c, d, x[12], 7, 0x6b901122);
    step<f>(d, a, b, c, x[13], 12, 0xfd987193);
    step<f>(c, d, a, b, x[14], 17, 0xa679438e);
    step<f>(b, c, d, a, x[15], 22, 0x49b40821);

    step<g>(a, b, c, d, x[1], 5, 0xf61e2562);
    step<g>(d, a, b, c, x[6], 9, 0xc040b340);
    step<g>(c, d, a, b, x[11], 14, 0x265e5a51);
    step<g>(b, c, d, a, x[0], 20, 0xe9b6c7aa);
    step<g>(a, b, c, d, x[5], 5, 0xd62f105d);
    step<g>(d, a, b, c, x[10], 9, 0x02441453);
    step<g>(c, d, a, b, x[15], 14, 0xd8a1e681);
    step<g>(b, c, d, a, x[4], 20, 0xe7d3fbc8);
    step<g>(a, b, c, d, x[9], 5, 0x21e1cde6);
    step<g>(d, a, b, c, x[14], 9, 0xc33707d6);
    step<g>(c, d, a, b, x[3], 14, 0xf4d50d87);
    step<g>(b, c, d, a, x[8], 20, 0x455a14ed);
    step<g>(a, b, c, d, x[13], 5, 0xa9e3e905);
    step<g>(d, a, b, c, x[2], 9, 0xfcefa3f8);
    step<g>(c, d, a, b, x[7], 14, 0x676f02d9);
    step<g>(b, c, d, a, x[12], 20, 0x8d2a4c8a);

    step<h>(a, b, c, d, x[5], 4, 0xfffa3942);
    step<h>(d, a, b, c, x[8], 11, 0x8771f681);
    step<h>(c, d, a, b, x[11], 16, 0x6d9d6122);
    step<h>(b, c, d, a, x[14], 23, 0xfde5380c);
    step<h>(a, b, c, d, x[1], 4, 0xa4beea44);
    step<h>(d, a, b, c, x[4], 11, 0x4bdecfa9);
    step<h>(c, d, a, b, x[7], 16, 0xf6bb4b60);
    step<h>(b, c, d, a, x[10], 23, 0xbebfbc70);
    step<h>(a, b, c, d, x[13], 4, 0x289b7ec6);
    step<h>(d, a, b, c, x[0], 11, 0xeaa127fa);
    step<h>(c, d, a, b, x[3], 16, 0xd4ef3085);
    step<h>(b, c, d, a, x[6], 23, 0x04881d05);
    step<h>(a, b, c, d, x[9], 4, 0xd9d4d039);
    step<h>(d, a, b, c, x[12], 11, 0xe6db99e5);
    step<h>(c, d, a, b, x[15], 16, 0x1fa27cf8);
    step<h>(b, c, d, a, x[2], 23, 0xc4ac5665);

    step<i>(a, b, c, d, x[0], 6, 0xf4292244);
    step<i>(d, a, b, c, x[7], 10, 0x432aff97);
    step<i>(c, d, a, b, x[14], 15, 0xab9423a7);
    step<i>(b, c, d, a, x[5], 21, 0xfc93a039);
    step<i>(a, b, c, d, x[12], 6, 0x655b59c3);
    step<i>(d, a, b, c, x[3], 10, 0x8f0ccc92);
    step<i>(c, d, a, b, x[10], 15, 0xffeff47d);
    step<i>(b, c, d, a, x[1], 21, 0x85845dd1);
    step<i>(a, b, c, d, x[8], 6, 0x6fa87e4f);
    step<i>(d, a, b, c, x[15], 10, 0xfe2ce6e0);
    step<i>(c, d, a, b, x[6], 15, 0xa3014314);
    step<i>(b, c, d, a, x[13], 21, 0x4e0811a1);
    step<i>(a, b, c, d, x[4], 6, 0xf7537e82);
    step<i>(d, a, b, c, x[11], 10, 0xbd3af235);
    step<i>(c, d, a, b, x[2], 15, 0x2ad7d2bb);
    step<i>(b, c, d, a, x[9], 21, 0xeb86d391);

    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

}  // namespace

namespace detail {

std::vector<std::uint32_t> textToMessageWords(std::string_view utf8Text) {
    // A text never has more UTF-16 units than UTF-8 bytes, so size for the bytes and trim after
    // counting; trimming never reallocates.
    std::vector<std::uint32_t> words(messageWordCount(utf8Text.size()), 0);
    const auto* bytes = reinterpret_cast<const unsigned char*>(utf8Text.data());
    const std::size_t size = utf8Text.size();
    std::size_t units = 0;

    // ASCII runs are each byte's own code: four at a time while they last.
    while (units + 4 <= size) {
        const std::uint32_t word =
            std::uint32_t{bytes[units]} | std::uint32_t{bytes[units + 1]} << 8 |
            std::uint32_t{bytes[units + 2]} << 16 | std::uint32_t{bytes[units + 3]} << 24;
        if (word & 0x80808080u) break;
        words[units / 4] = word;
        units += 4;
    }
    while (units < size && bytes[units] < 0x80) {
        words[units / 4] |= std::uint32_t{bytes[units]} << (8 * (units % 4));
        ++units;
    }
    if (units < size) {
        forEachUtf16Unit(utf8Text.substr(units), [&words, &units](char16_t unit) {
            const auto code = static_cast<std::uint32_t>(codePage936Code(unit));
            words[units / 4] |= code << (8 * (units % 4));
            ++units;
        });
    }

    const std::size_t count = messageWordCount(units);
    words.resize(count);
    words[units / 4] |= 0x80u << (8 * (units % 4));
    words[count - 2] = static_cast<std::uint32_t>(units << 3);
    words[count - 1] = static_cast<std::uint32_t>(units >> 29);
    return words;
}

}  // namespace detail

std::string md5Digest(std::string_view utf8Text) {
    const std::vector<std::uint32_t> words = detail::textToMessageWords(utf8Text);
    std::array<std::uint32_t, 4> state = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
    for (std::size_t block = 0; block < words.size(); block += 16) {
        compress(state, words.data() + block);
    }

    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string hex(32, '0');
    std::size_t pos = 0;
    for (const std::uint32_t value : state) {
        for (int byte = 0; byte < 4; ++byte) {
            const unsigned b = value >> (8 * byte) & 0xFF;
            hex[pos++] = kHex[b >> 4];
            hex[pos++] = kHex[b & 0xF];
        }
    }
    return hex;
}

}  // namespace qob
