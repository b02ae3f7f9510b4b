#pragma once
// Record files on disk: the record text alone, as code page 936 bytes, with no
// line end and no byte-order mark.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace qob {

// No record file is larger than this (a score record with all its pieces stays
// under kScoreRecordLimit); nothing larger is taken as one.
inline constexpr std::size_t kRecordFileLimit = 1024 * 1024;

enum class RecordFileStatus { Read, Unreadable, TooLarge };

struct RecordFileContent {
    RecordFileStatus status = RecordFileStatus::Unreadable;
    std::string text;       // UTF-8; bytes that are no code page 936 character become "?"
    std::error_code error;  // why an unreadable file could not be read
};

// Reads a whole record file, stopping once it has proved larger than `limit`.
// Only a regular file is read: a pipe, a device or a folder is unreadable, and
// opening one never waits.
RecordFileContent readRecordFile(const std::string& path, std::size_t limit = kRecordFileLimit);

// Reads standard input to its end, stopping once it has proved larger than
// kRecordFileLimit. `text` holds the bytes as they came.
RecordFileContent readStandardInput();

// Writes the text whole or not at all: through a new file beside the target that
// then replaces it, with the permissions the target had. On failure, a file-size
// limit included, the target is as it was and no stray file is left.
bool writeRecordFile(const std::string& path, std::string_view text);

// A file system path from a UTF-8 path text.
std::filesystem::path pathFromUtf8(std::string_view text);

// The error of a file that is there but is no regular file (a pipe, a device).
std::error_code notARegularFile();

}  // namespace qob
