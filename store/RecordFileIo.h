#pragma once
// Record files on disk: the record text alone, as code page 936 bytes, with no
// line end and no byte-order mark.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace qob {

// A record is a few hundred bytes; nothing larger than this is taken as one.
inline constexpr std::size_t kRecordFileLimit = 1024 * 1024;

enum class RecordFileStatus { Read, Unreadable, TooLarge };

struct RecordFileContent {
    RecordFileStatus status = RecordFileStatus::Unreadable;
    std::string text;       // UTF-8; bytes that are no code page 936 character become "?"
    std::error_code error;  // why an unreadable file could not be read
};

// Reads a whole record file, stopping once it has proved larger than the limit.
RecordFileContent readRecordFile(const std::string& path);

// Writes the text whole or not at all: through a new file beside the target that
// then replaces it. On failure the target is as it was and no stray file is left.
bool writeRecordFile(const std::string& path, std::string_view text);

// A file system path from a UTF-8 path text.
std::filesystem::path pathFromUtf8(std::string_view text);

}  // namespace qob
