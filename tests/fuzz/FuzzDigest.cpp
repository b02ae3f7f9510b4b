// Any text: the digest is 32 upper-case hexadecimal digits, and where code page 936 writes
// every character of the text as one byte it is the ordinary MD5 of those bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "Md5Digest.h"
#include "ReferenceMd5.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using qob::fuzz::require;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string digest = qob::md5Digest(text);
    require(
        digest.size() == 32 && digest.find_first_not_of("0123456789ABCDEF") == std::string::npos,
        "a digest is 32 upper-case hexadecimal digits");
    bool ascii = true;
    for (const unsigned char c : text)
        ascii = ascii && c < 0x80;
    if (ascii)
        require(digest == qob::test::referenceMd5(text),
                "the digest of an ASCII text, a single byte among them, is its ordinary MD5");
    // A byte alone above 0x7F is no UTF-8: the replacement character, which code page 936
    // writes as "?".
    if (size == 1 && !ascii)
        require(digest == qob::test::referenceMd5("?"), "a stray byte is digested as \"?\"");
    return 0;
}
