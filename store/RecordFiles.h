#pragma once
// The four record-file procedures behind the buttons 保留成绩, 发布成绩, 保存进度
// and 读取进度, and the file dialog they share.

#include <cstddef>
#include <optional>
#include <string>

#include "GameState.h"
#include "GameWindow.h"

namespace qob {

inline constexpr const char* kRecFilter = "(*.rec)进度文件|*.rec|(*.*)所有文件|*.*";
inline constexpr const char* kSavFilter = "(*.sav)进度文件|*.sav|(*.*)所有文件|*.*";
inline constexpr const char* kOfflineMessage = "没有在线，连接互联网后，上传成绩！";
inline constexpr const char* kUploadPath = "/qob/list/?act=viewform&reccode=";

class RecordFiles {
  public:
    // siteUrl: the website's base address, without a trailing "/".
    RecordFiles(GameState& state, GameWindow& window, std::string siteUrl);

    // Saves a score record ("rec") to a file the player chooses.
    void RecFileSave();
    // Saves the game in progress ("save") to a file the player chooses.
    void ProgFileSave();
    // Restores the game from a progress file the player chooses.
    void ProgFileRead();
    // Opens the website's upload page for a record file the player chooses.
    void RecFileUpload();

    // CommonDialog1, shared by the four procedures: what one leaves in it, the next
    // finds there unless it sets it.
    CommonDialog dialog;

  private:
    void saveRecordFile(const char* prompt, const char* ext, const char* filter, const char* DoType,
                        const char* failureText);
    // The text of the file chosen in the dialog. A file that cannot be read, or is
    // empty, is refused with the record message, one larger than limit with
    // tooLargeText; nothing is returned then.
    std::optional<std::string> readChosenFile(std::size_t limit, const char* tooLargeText);

    GameState& state_;
    GameWindow& window_;
    std::string siteUrl_;
};

// The upload page for a record text: the text's code page 936 bytes follow
// "reccode=" with every byte but A-Z a-z 0-9 - . _ ~ written as %XX, so that the
// website decodes exactly the record.
std::string uploadAddress(const std::string& siteUrl, const std::string& recordText);

// The player's name as a piece of a file name: path separators and control
// characters become "_".
std::string fileNamePiece(const std::string& name);

}  // namespace qob
