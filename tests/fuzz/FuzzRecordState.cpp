// Any game the rules can leave: its record is sound, decodes to the same game, re-encodes
// to the same bytes, and carries a piece after field 200 without harm.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "FakeWindow.h"
#include "FuzzCheck.h"
#include "RecordCodec.h"
#include "RecordExtras.h"
#include "TextForms.h"

namespace {

using namespace qob;
using fuzz::require;

// Takes the values of a game from the fuzzer's bytes, zeros once they run out.
class Bytes {
  public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    std::uint32_t word() {
        std::uint32_t w = 0;
        for (int k = 0; k < 4; ++k)
            w = w << 8 | byte();
        return w;
    }
    std::int32_t anyInt() { return static_cast<std::int32_t>(word()); }
    // The counters of a record stay within a billion.
    std::int32_t counter() { return static_cast<std::int32_t>(word() % 1'000'000'001u); }
    double number() {
        switch (byte() % 4) {
            case 0:
                return byte();
            case 1:
                return anyInt() / 1000.0;
            case 2:
                return static_cast<double>(word()) / 3;
            default: {
                std::uint64_t bits = std::uint64_t{word()} << 32 | word();
                double d;
                std::memcpy(&d, &bits, sizeof d);
                // What a record can bring in; the rules themselves stay near 100.
                return std::isfinite(d) && std::abs(d) <= 1e308 ? d : 0.0;
            }
        }
    }
    // A text of a field: anything but the separator.
    std::string text(std::size_t longest) {
        std::string s(byte() % (longest + 1), '\0');
        for (char& c : s) {
            c = static_cast<char>(byte());
            if (c == '|') c = '!';
        }
        return s;
    }
    DateTime date() {
        if (byte() % 8 == 0) return {};
        static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        DateTime t;
        t.year = 1 + word() % 9999;
        t.month = 1 + byte() % 12;
        t.day = 1 + byte() % kDays[t.month - 1];
        t.hour = byte() % 24;
        t.minute = byte() % 60;
        t.second = byte() % 60;
        return t;
    }
    // A play cell: its tile digit, with the round number of a new tile now and then.
    std::string cell() {
        std::string c(1, static_cast<char>('1' + byte() % 7));
        if (byte() % 4 == 0) c += std::to_string(word() % 100000);
        return c;
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Bytes in(data, size);
    GameState game;
    game.gameID = in.text(8);
    game.spareValue = in.text(8);
    game.startTime = in.date();
    game.totalScore = in.anyInt();
    game.moveScore = in.anyInt();
    game.bonusScore = in.anyInt();
    game.gameMode = in.text(6);
    game.gameState = in.text(6);
    game.levelNo = in.counter();
    game.roundNo = in.counter();
    game.tilesCleared = in.counter();
    game.clockValue = in.number();
    game.levelProgress = in.number();
    game.ringMoves = in.counter();
    for (int n = 1; n <= 49; ++n)
        game.sizeTally[n] = in.byte() % 2 ? in.counter() : 0;
    for (int y = 1; y <= kBoardSize; ++y)
        for (int x = 1; x <= kBoardSize; ++x)
            game.board[x][y] = in.cell();
    test::FakeWindow window;
    window.clock = in.date();
    const std::string name = in.text(64) + "|%";

    DoOnGame(game, window, "SaveString");
    const std::string written = game.recordText;
    require(checkRecord(written, kKindSave) == RecordCheck::Sound, "a game's record is sound");

    GameState read;
    read.recordText = written;
    DoOnGame(read, window, "ReadString");
    require(window.count("messageBox") == 0, "the game takes its own record in");
    require(read.gameID == game.gameID && read.spareValue == game.spareValue &&
                read.startTime == game.startTime && read.saveTime == window.clock &&
                read.totalScore == game.totalScore && read.moveScore == game.moveScore &&
                read.bonusScore == game.bonusScore && read.gameMode == game.gameMode &&
                read.gameState == game.gameState && read.levelNo == game.levelNo &&
                read.roundNo == game.roundNo && read.tilesCleared == game.tilesCleared &&
                read.ringMoves == game.ringMoves && read.sizeTally == game.sizeTally,
            "the record decodes to the game");
    require(read.clockValue == parseDouble(formatDouble(game.clockValue)) &&
                read.levelProgress == parseDouble(formatDouble(game.levelProgress)),
            "numbers come back as their 15 digits say");
    for (int i = 1; i < 49; ++i)
        require(read.board[boardFieldX(i)][boardFieldY(i)] ==
                    game.board[boardFieldX(i)][boardFieldY(i)],
                "the board comes back");
    DoOnGame(read, window, "SaveString");
    require(read.recordText == written, "a record that decodes re-encodes to the same bytes");

    DoOnGame(game, window, "RecString");
    const std::string score = game.recordText + formatExtras({{kNameKey, name}});
    require(checkRecord(score, kKindRec) == RecordCheck::Sound, "a score record is sound");
    require(checkRecord(score, kKindSave) == RecordCheck::Broken, "and no progress record");
    require(findExtra(score, kNameKey) == name, "the player's name comes back");
    return 0;
}
