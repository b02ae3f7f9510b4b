#pragma once
// Shared pieces of the record tests: the game behind the golden records, a
// printout of everything a record can change, and a scratch folder.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "GameState.h"
#include "RecordCodec.h"
#include "TextForms.h"

namespace qob::test {

// The game of kGoldenSave and kGoldenRec; its record is written at kGoldenSaveTime.
inline constexpr DateTime kGoldenSaveTime{2024, 3, 9, 9, 15, 0};

inline GameState goldenGame() {
    GameState s;
    for (int y = 1; y <= 7; ++y)
        for (int x = 1; x <= 7; ++x)
            s.board[x][y] = std::to_string((3 * x + 5 * y) % 7 + 1);
    s.board[4][3] += "37";
    s.gameID = "402718";
    s.spareValue = "0";
    s.startTime = DateTime{2024, 3, 9, 8, 5, 7};
    s.totalScore = 12345;
    s.moveScore = -655;
    s.bonusScore = 13000;
    s.gameMode = "sport";
    s.gameState = "run";
    s.levelNo = 2;
    s.roundNo = 37;
    s.tilesCleared = 168;
    s.clockValue = 42;
    s.levelProgress = 20.0 / 3;
    s.ringMoves = 3;
    s.sizeTally[3] = 20;
    s.sizeTally[4] = 9;
    s.sizeTally[5] = 5;
    s.sizeTally[6] = 3;
    s.sizeTally[12] = 1;
    s.sizeTally[49] = 2;
    return s;
}

// A different game in "lim" mode, for reads to overwrite.
inline GameState otherGame() {
    GameState s;
    for (int y = 1; y <= 7; ++y)
        for (int x = 1; x <= 7; ++x)
            s.board[x][y] = std::to_string((x + 2 * y) % 7 + 1);
    s.gameID = "77";
    s.spareValue = "0";
    s.startTime = DateTime{2025, 1, 2, 3, 4, 5};
    s.gameMode = "lim";
    s.gameState = "stop";
    s.roundNo = 180;
    s.tilesCleared = 900;
    s.moveScore = 5000;
    s.totalScore = 5000;
    s.clockValue = 55;
    s.levelProgress = 0.5;
    for (int n = 0; n <= 50; ++n)
        s.sizeTally[n] = 100 + n;
    s.moveMessage = "好!";
    return s;
}

// Every game variable a read may touch, and the ones it must not, as one text.
inline std::string describe(const GameState& s) {
    std::ostringstream out;
    out << s.gameID << '|' << s.spareValue << '|' << s.startTime.toText() << '|'
        << s.saveTime.toText() << '|' << s.totalScore << '|' << s.moveScore << '|' << s.bonusScore
        << '|' << s.gameMode << '|' << s.gameState << '|' << s.levelNo << '|' << s.roundNo << '|'
        << s.tilesCleared << '|' << formatDouble(s.clockValue) << '|'
        << formatDouble(s.levelProgress) << '|' << s.ringMoves << '|' << s.moveMessage << '|'
        << s.onlineFlag << "\nsizeTally";
    for (int n = 0; n <= 50; ++n)
        out << ' ' << s.sizeTally[n];
    out << "\nboard";
    for (int y = 0; y <= 8; ++y) {
        out << '\n';
        for (int x = 0; x <= 8; ++x)
            out << '[' << s.board[x][y] << ']';
    }
    return out.str();
}

// The record text with field k replaced, still in one piece.
inline std::string withField(const std::string& text, int k, const std::string& value) {
    std::size_t start = 0;
    for (int i = 0; i < k; ++i)
        start = text.find('|', start) + 1;
    const std::size_t end = text.find('|', start);
    return text.substr(0, start) + value +
           (end == std::string::npos ? std::string() : text.substr(end));
}

// The record text with field k replaced and the seal made anew for its kind, as
// someone who knows the seal could do.
inline std::string resealed(const std::string& text, int k, const std::string& value) {
    const std::string changed = withField(text, k, value);
    RecordPieces p;
    splitRecord(changed, p);
    const RecordSeal seal = sealRecord(p[1], p);
    return "QOB|" + std::string(p[1]) + "|" + seal.digest1 + "|" + seal.digest2 + "|" +
           seal.digest3 + "|" + seal.digest4 + seal.input1 + seal.input2 + seal.input3 +
           seal.input4;
}

// A fresh folder under the system's temporary folder, removed afterwards.
class ScratchFolder {
  public:
    ScratchFolder() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("qob-store-") + info->test_suite_name() + "-" + info->name();
        for (char& c : name)
            if (c == '/') c = '_';
        path_ = std::filesystem::temp_directory_path() / name;
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

inline std::string fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

}  // namespace qob::test
