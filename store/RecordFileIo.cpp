#include "RecordFileIo.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
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

#ifdef _WIN32
using StatBuffer = struct _stat64;
int openForReading(const fs::path& path) {
    return _wopen(path.c_str(), _O_RDONLY | _O_BINARY);
}
int statOf(int fd, StatBuffer& st) {
    return _fstat64(fd, &st);
}
bool isRegular(const StatBuffer& st) {
    return (st.st_mode & _S_IFMT) == _S_IFREG;
}
bool isFolder(const StatBuffer& st) {
    return (st.st_mode & _S_IFMT) == _S_IFDIR;
}
long long readSome(int fd, char* buffer, std::size_t size) {
    return _read(fd, buffer, static_cast<unsigned>(size));
}
void closeFile(int fd) {
    _close(fd);
}
#else
using StatBuffer = struct stat;
int openForReading(const fs::path& path) {
    // Without O_NONBLOCK, opening a pipe waits for a writer that may never come.
    return ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
}
int statOf(int fd, StatBuffer& st) {
    return ::fstat(fd, &st);
}
bool isRegular(const StatBuffer& st) {
    return S_ISREG(st.st_mode);
}
bool isFolder(const StatBuffer& st) {
    return S_ISDIR(st.st_mode);
}
long long readSome(int fd, char* buffer, std::size_t size) {
    long long n;
    do {
        n = ::read(fd, buffer, size);
    } while (n < 0 && errno == EINTR);
    return n;
}
void closeFile(int fd) {
    ::close(fd);
}
#endif

std::error_code lastError() {
    return std::error_code(errno, std::generic_category());
}

// Reads fd to its end into content.text, or stops at the first byte beyond limit.
void readBounded(int fd, std::size_t limit, RecordFileContent& content) {
    std::string bytes;
    char buffer[64 * 1024];
    for (;;) {
        const std::size_t room = std::min(sizeof buffer, limit + 1 - bytes.size());
        errno = 0;
        const long long n = readSome(fd, buffer, room);
        if (n < 0) {
            content.error = lastError();
            return;
        }
        if (n == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(n));
        if (bytes.size() > limit) {
            content.status = RecordFileStatus::TooLarge;
            return;
        }
    }
    content.status = RecordFileStatus::Read;
    content.text = std::move(bytes);
}

class RecordFileCategory : public std::error_category {
  public:
    const char* name() const noexcept override { return "record file"; }
    std::string message(int) const override { return "not a regular file"; }
};

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

// The new file gets the permissions of the file it replaces; a new name keeps
// what the process's umask gives.
bool takePermissions(const fs::path& target, std::FILE* f) {
#ifdef _WIN32
    (void)target;
    (void)f;
    return true;
#else
    struct stat old {};
    if (::stat(target.c_str(), &old) != 0 || !S_ISREG(old.st_mode)) return true;
    return ::fchmod(fileno(f), old.st_mode & 0777) == 0;
#endif
}

// A write beyond the process's file-size limit raises SIGXFSZ, which ends the
// program unless ignored; ignored, the write fails like any other.
void ignoreFileSizeSignal() {
#ifndef _WIN32
    struct sigaction current {};
    if (::sigaction(SIGXFSZ, nullptr, &current) != 0) return;
    if ((current.sa_flags & SA_SIGINFO) || current.sa_handler != SIG_DFL) return;
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGXFSZ, &ignore, nullptr);
#endif
}

}  // namespace

std::error_code notARegularFile() {
    static const RecordFileCategory category;
    return std::error_code(1, category);
}

fs::path pathFromUtf8(std::string_view text) {
    return fs::path(std::u8string(reinterpret_cast<const char8_t*>(text.data()), text.size()));
}

RecordFileContent readRecordFile(const std::string& path, std::size_t limit) {
    RecordFileContent content;
    errno = 0;
    const int fd = openForReading(pathFromUtf8(path));
    if (fd < 0) {
        content.error = lastError();
        return content;
    }
    StatBuffer st{};
    if (statOf(fd, st) != 0) {
        content.error = lastError();
    } else if (isFolder(st)) {
        content.error = std::make_error_code(std::errc::is_a_directory);
    } else if (!isRegular(st)) {
        content.error = notARegularFile();
    } else {
        readBounded(fd, limit, content);
    }
    closeFile(fd);
    if (content.status == RecordFileStatus::Read) content.text = fromCodePage936(content.text);
    return content;
}

RecordFileContent readStandardInput() {
#ifdef _WIN32
    _setmode(0, _O_BINARY);
#endif
    RecordFileContent content;
    readBounded(0, kRecordFileLimit, content);
    return content;
}

bool writeRecordFile(const std::string& path, std::string_view text) {
    const std::string bytes = toCodePage936(text);
    const fs::path target = pathFromUtf8(path);
    ignoreFileSizeSignal();
    fs::path temp;
    std::FILE* f = createTemporary(target, temp);
    if (!f) return false;

    bool ok = takePermissions(target, f);
    ok = ok && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fflush(f) == 0 && ok;
    ok = ok && syncToDisk(f);
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
