#pragma once

#include <string>

#include "GameState.h"

// What a redraw shows of the game state, as text.
namespace qob {

// "总分:7420 分:5000  奖:2420  关:2 轮:31(118)  类型:sport"
std::string statusLine(const GameState& s);

// "游戏 [开始:2005-6-1 10:04:31]"
std::string gameFrameCaption(const GameState& s);

// How a redraw draws one cell, and the cell's text cut back to its first
// character afterwards.
struct TileLook {
    char picture;  // '1'..'9', or '0' for anything else
    bool framed;   // the tile entered during the last move
};
TileLook takeTileLook(std::string& cell);

}  // namespace qob
