#pragma once
// The sealed text form of a game: one line of 201 fields separated by "|",
// "QOB|<kind>|<four digests>|<fields 6 to 200>".

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "DateTime.h"
#include "GameState.h"
#include "GameWindow.h"

namespace qob {

inline constexpr int kRecordFieldCount = 201;
inline constexpr const char* kKindSave = "save";  // progress record, read back by the game
inline constexpr const char* kKindRec = "rec";    // score record, published on the website
inline constexpr const char* kRecordVersion = "3.1.beta";
inline constexpr const char* kRecordDate = "2005-6-1 00:00:01";
inline constexpr const char* kRecordRefusal = "你的文件被修改或格式不正区，读取失败！";

// "SaveString" and "RecString" write the game into state.recordText; "ReadString"
// checks state.recordText and restores the game from it, or refuses it with a
// message; the board is redrawn after every read. Anything else does nothing.
void DoOnGame(GameState& state, GameWindow& window, const std::string& DoType);

// Fields 0 to 200 of a record text. Pieces after field 200 are never looked at,
// so the split stops there.
using RecordPieces = std::array<std::string_view, kRecordFieldCount>;

// Splits at "|" and returns the number of fields found, at most 201; the fields
// that are missing are left empty.
int splitRecord(std::string_view text, RecordPieces& pieces);

// The four digest inputs and the four digests of a record of the given kind.
struct RecordSeal {
    std::string input1, input2, input3, input4;
    std::string digest1, digest2, digest3, digest4;
};
RecordSeal sealRecord(std::string_view kind, const RecordPieces& pieces);

// The game variables a record holds, parsed from their fields.
struct RecordValues {
    std::string kind;
    std::string gameID;
    std::string spareValue;
    DateTime startTime;
    DateTime saveTime;
    std::int32_t totalScore = 0;
    std::int32_t moveScore = 0;
    std::int32_t bonusScore = 0;
    std::string gameMode;
    std::string gameState;
    std::int32_t levelNo = 0;
    std::int32_t roundNo = 0;
    std::int32_t tilesCleared = 0;
    double clockValue = 0;
    double levelProgress = 0;
    std::int32_t ringMoves = 0;
    std::array<std::int32_t, 50> sizeTally{};  // 1..49
    // boardCells[i], i = 1..49: field 80 + i, the cell ((i mod 7) + 1, i div 7 + 1);
    // boardCells[49] is the frame cell (1, 8).
    std::array<std::string, 50> boardCells;
};

// The cell a board field holds: field 80 + i is board[boardFieldX(i)][boardFieldY(i)].
constexpr int boardFieldX(int i) {
    return i % kBoardSize + 1;
}
constexpr int boardFieldY(int i) {
    return i / kBoardSize + 1;
}

// All fields parsed, or the number of the first field that does not parse (a
// date that is no date, a number that is no number or out of the 32-bit range, a
// counter below 0 or beyond what any game reaches, a play cell that is no tile).
struct RecordParse {
    std::optional<RecordValues> values;
    int badField = 0;
};
RecordParse parseRecord(const RecordPieces& pieces);

enum class RecordCheck {
    Short,   // fewer than 201 fields
    Broken,  // the seal does not match the kind, or a field does not parse
    Sound,
};

// Checks a record text as a record of the given kind ("save" when the game
// reads it back).
RecordCheck checkRecord(std::string_view text, std::string_view kind);

// What a record text is, judged against the kind it names itself.
struct RecordExamination {
    RecordCheck check = RecordCheck::Short;
    std::string kind;        // field 1 as written
    bool sealSound = false;  // the digests match the kind, which is "save" or "rec"
    RecordParse parse;       // when the text has 201 fields
    RecordPieces pieces{};   // views into the examined text
};
RecordExamination examineRecord(std::string_view text);

}  // namespace qob
