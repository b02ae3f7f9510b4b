#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "DateTime.h"
#include "GameLog.h"

namespace qob {

// A 9 x 9 grid of cell texts indexed [x][y]: x the column from the left, y the
// row from the top. The play area is 1..7; the frame around it stays empty.
using Grid = std::array<std::array<std::string, 9>, 9>;

inline constexpr int kBoardSize = 7;
inline constexpr int kTileCount = kBoardSize * kBoardSize;

// Mode codes, chosen with the three mode buttons.
inline constexpr const char* kModeGame = "game";    // 常规模式
inline constexpr const char* kModeSport = "sport";  // 过关模式
inline constexpr const char* kModeLim = "lim";      // 限次模式

// Game state codes.
inline constexpr const char* kStateRun = "run";
inline constexpr const char* kStateStop = "stop";

// Everything a game is: read and written directly by the rules, the drawing and
// the record codec.
struct GameState {
    // The board: a play cell holds its tile digit "1".."7", followed by the round
    // number when the tile entered during the last move (framed once when drawn).
    Grid board;
    // Work grid of a move or a ring rotation; "-1" marks a tile taken into a group.
    Grid searchBoard;

    std::string gameID;     // "1".."999999": the base of the new board's seeds
    std::string gameMode;   // "game", "sport" or "lim"
    std::string gameState;  // "run" or "stop"
    int levelNo = 0;        // 关
    int roundNo = 0;        // 轮: accepted moves in this game
    int tilesCleared = 0;   // tiles removed in this game

    std::int32_t moveScore = 0;   // 分
    std::int32_t bonusScore = 0;  // 奖
    std::int32_t totalScore = 0;  // 总分 = 分 + 奖, updated by every accepted move

    DateTime startTime;
    DateTime saveTime;       // null until the game's record is written
    std::string spareValue;  // carried in records, otherwise unused
    std::string moveMessage;

    double clockValue = 0;     // level clock ticks used ("sport")
    double levelProgress = 0;  // 0..100 towards the next level ("sport")
    int ringMoves = 0;         // ring rotations and reshuffles this level

    // sizeTally[n]: accepted moves that removed n tiles, over every game of this run.
    std::array<std::int32_t, 51> sizeTally{};

    // What happened in this game since it started, for a replay of it.
    GameLog gameLog;

    bool onlineFlag = false;  // the last connectivity probe found the website

    // Group search: the lists are a first-in, first-out queue of the group's cells.
    std::array<int, 61> groupOpen{};
    std::array<std::int16_t, 61> groupX{};
    std::array<std::int16_t, 61> groupY{};
    int groupMinX = 0;
    int groupMaxX = 0;
    int groupCount = 0;
    int groupCursor = 0;
    int groupSize = 0;

    // Record codec.
    std::string recordText;
    std::array<std::string, 201> recordFields;
    std::vector<std::string> recordParts;
    std::string recordDigest1, recordDigest2, recordDigest3, recordDigest4;
    std::string digestInput1, digestInput2, digestInput3, digestInput4;
};

}  // namespace qob
