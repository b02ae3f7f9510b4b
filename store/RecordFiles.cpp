#include "RecordFiles.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>
#include <utility>

#include "CodePage936.h"
#include "RecordCodec.h"
#include "RecordExtras.h"
#include "RecordFileIo.h"

namespace qob {

namespace {

const char* const kRecPrompt = "保存成绩,输入你的称呼";
const char* const kSavPrompt = "保存进度,输入你的称呼";
const char* const kRecWriteFailed = "成绩文件无法写入，没有保存：";
const char* const kSavWriteFailed = "进度文件无法写入，没有保存：";
const char* const kNotAScoreRecord =
    "这个文件不是成绩记录，没有发布。只能发布“保留成绩”保存的成绩文件（.rec）。";

bool isUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

// The name as the record carries it: without the blanks around it, and its first
// kNameLimit characters.
std::string playerName(std::string_view typed) {
    const std::size_t first = typed.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    typed = typed.substr(first, typed.find_last_not_of(' ') + 1 - first);
    std::size_t end = 0;
    for (std::size_t count = 0; end < typed.size(); ++end) {
        const bool starts = (static_cast<unsigned char>(typed[end]) & 0xC0) != 0x80;
        if (starts && count++ == kNameLimit) break;
    }
    return std::string(typed.substr(0, end));
}

// 201 fields or more, "QOB" and the kind "rec": what every score record looks like.
bool hasScoreRecordForm(std::string_view text) {
    RecordPieces pieces;
    return splitRecord(text, pieces) == kRecordFieldCount && pieces[0] == "QOB" &&
           pieces[1] == kKindRec;
}

}  // namespace

RecordFiles::RecordFiles(GameState& state, GameWindow& window, std::string siteUrl)
    : state_(state), window_(window), siteUrl_(std::move(siteUrl)) {}

void RecordFiles::RecFileSave() {
    saveRecordFile(kRecPrompt, "rec", kRecFilter, "RecString", kRecWriteFailed);
}

void RecordFiles::ProgFileSave() {
    saveRecordFile(kSavPrompt, "sav", kSavFilter, "SaveString", kSavWriteFailed);
}

void RecordFiles::saveRecordFile(const char* prompt, const char* ext, const char* filter,
                                 const char* DoType, const char* failureText) {
    // The clock must not end the game while the player is still choosing a file.
    if (state_.gameMode != kModeGame) window_.setTimer1Enabled(false);
    window_.setTileImagesVisible(false);
    const std::string name = window_.inputBox(prompt, "", "").value_or("");

    dialog.flags = kFlagOverwritePrompt;
    dialog.cancelError = true;
    dialog.defaultExt = ext;
    dialog.filter = filter;

    std::error_code ignored;
    std::filesystem::create_directories(pathFromUtf8(programPath(window_, "\\save")), ignored);
    std::string stamp = window_.now().toText();
    stamp.erase(std::remove(stamp.begin(), stamp.end(), ':'), stamp.end());
    // The name as the record will carry it, and no blank before "QOB" without one.
    const std::string named = fileNamePiece(playerName(name));
    dialog.fileName = programPath(window_, "\\save\\") + named + (named.empty() ? "" : " ") +
                      "QOB " + fileNamePiece(state_.gameMode) + " " + stamp + "." + ext;

    if (window_.showSave(dialog) && !dialog.fileName.empty()) {
        DoOnGame(state_, window_, DoType);
        if (const std::string player = playerName(name); !player.empty())
            state_.recordText += formatExtras({{kNameKey, player}});
        // A score record carries the game's log, so the website can replay it.
        if (std::string_view(DoType) == "RecString")
            appendGameLog(state_.recordText, state_.gameLog);
        if (!writeRecordFile(dialog.fileName, state_.recordText))
            window_.messageBox(failureText + dialog.fileName, MsgButtons::Ok, MsgIcon::Critical);
    }

    // Runs again afterwards in "sport" only, the one mode whose clock runs.
    if (state_.gameMode != kModeGame && state_.gameMode != kModeLim) window_.setTimer1Enabled(true);
    window_.setTileImagesVisible(true);
}

void RecordFiles::ProgFileRead() {
    window_.setTileImagesVisible(false);
    dialog.cancelError = true;
    dialog.flags = kFlagFileMustExist;
    dialog.filter = kSavFilter;

    if (window_.showOpen(dialog)) {
        if (std::optional<std::string> text = readChosenFile(kRecordFileLimit, kRecordRefusal)) {
            state_.recordText = std::move(*text);
            DoOnGame(state_, window_, "ReadString");
        } else {
            window_.showBoard();
        }
    }
    window_.setTileImagesVisible(true);
}

std::optional<std::string> RecordFiles::readChosenFile(std::size_t limit,
                                                       const char* tooLargeText) {
    RecordFileContent content = readRecordFile(dialog.fileName, limit);
    if (content.status == RecordFileStatus::Read && !content.text.empty())
        return std::move(content.text);
    // Never fall back on whatever record the game held before.
    window_.messageBox(content.status == RecordFileStatus::TooLarge ? tooLargeText : kRecordRefusal,
                       MsgButtons::Ok, MsgIcon::None);
    return std::nullopt;
}

void RecordFiles::RecFileUpload() {
    window_.setTileImagesVisible(false);
    dialog.cancelError = true;
    dialog.initDir = programPath(window_, "\\save");
    dialog.flags = kFlagFileMustExist;
    dialog.filter = kRecFilter;

    if (window_.showOpen(dialog)) {
        // Only a score record goes out, told by its form; its seal is the website's to judge.
        std::optional<std::string> text = readChosenFile(kScoreRecordLimit, kNotAScoreRecord);
        if (text && !hasScoreRecordForm(*text)) {
            window_.messageBox(kNotAScoreRecord, MsgButtons::Ok, MsgIcon::None);
        } else if (text) {
            state_.recordText = std::move(*text);
            if (state_.onlineFlag) {
                window_.navigate(uploadAddress(siteUrl_, state_.recordText));
                window_.focusBrowser();
            } else {
                window_.messageBox(kOfflineMessage, MsgButtons::Ok, MsgIcon::None);
            }
        }
    }
    window_.setTileImagesVisible(true);
}

std::string uploadAddress(const std::string& siteUrl, const std::string& recordText) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string address = siteUrl + kUploadPath;
    for (const char ch : toCodePage936(recordText)) {
        const auto c = static_cast<unsigned char>(ch);
        if (isUnreserved(c)) {
            address += ch;
        } else {
            address += '%';
            address += kHex[c >> 4];
            address += kHex[c & 0xF];
        }
    }
    return address;
}

std::string fileNamePiece(const std::string& name) {
    std::string piece = name;
    for (char& ch : piece) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '/' || c == '\\' || c < 0x20 || c == 0x7F) ch = '_';
    }
    return piece;
}

}  // namespace qob
