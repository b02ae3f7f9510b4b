#include "RecordFileIo.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <system_error>

#include "CodePage936.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace qob {

namespace fs = std::filesystem;

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

std::FILE* openFile(const fs::path& path, bool exclusiveWrite) {
#ifdef _WIN32
    return _wfopen(path.c_str(), exclusiveWrite ? L"wbx" : L"rb");
#else
    return std::fopen(path.c_str(), exclusiveWrite ? "wbx" : "rb");
#endif
}

bool syncToDisk(std::FILE* f) {
#ifdef _WIN32
    return _commit(_fileno(f)) == 0;
#else
    return fsync(fileno(f)) == 0;
#endif
}

// A new file beside the target, created here and nowhere else: an existing file
// of that name is never reused.
std::FILE* createTemporary(const fs::path& target, fs::path& temp) {
    for (int n = 0; n < 100; ++n) {
        temp = target;
        temp += n == 0 ? std::string(".qobtmp") : ".qobtmp" + std::to_string(n);
        errno = 0;
        if (std::FILE* f = openFile(temp, true)) return f;
        if (errno != EEXIST) break;
    }
    return nullptr;
}

}  // namespace

fs::path pathFromUtf8(std::string_view text) {
    return fs::path(std::u8string(reinterpret_cast<const char8_t*>(text.data()), text.size()));
}

RecordFileContent readRecordFile(const std::string& path) {
    RecordFileContent content;
    errno = 0;
    FileHandle file(openFile(pathFromUtf8(path), false));
    if (!file) {
        content.error = std::error_code(errno, std::generic_category());
        return content;
    }

    std::string bytes;
    errno = 0;
    char buffer[64 * 1024];
    while (bytes.size() <= kRecordFileLimit) {
        const std::size_t n = std::fread(buffer, 1, sizeof buffer, file.get());
        bytes.append(buffer, n);
        if (n < sizeof buffer) break;
    }
    if (std::ferror(file.get())) {
        content.error = std::error_code(errno, std::generic_category());
        return content;
    }
    if (bytes.size() > kRecordFileLimit) {
        content.status = RecordFileStatus::TooLarge;
        return content;
    }
    content.status = RecordFileStatus::Read;
    content.text = fromCodePage936(bytes);
    return content;
}

bool writeRecordFile(const std::string& path, std::string_view text) {
    const std::string bytes = toCodePage936(text);
    const fs::path target = pathFromUtf8(path);
    fs::path temp;
    std::FILE* f = createTemporary(target, temp);
    if (!f) return false;

    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fflush(f) == 0 && ok;
    ok = syncToDisk(f) && ok;
    ok = std::fclose(f) == 0 && ok;
    std::error_code ec;
    if (ok) {
        fs::rename(temp, target, ec);
        ok = !ec;
    }
    if (!ok) fs::remove(temp, ec);
    return ok;
}

}  // namespace qob
