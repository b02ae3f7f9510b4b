#include "BoardText.h"

#include "TextForms.h"

namespace qob {

std::string statusLine(const GameState& s) {
    using std::to_string;
    return "总分:" + to_string(s.totalScore) + " 分:" + to_string(s.moveScore) +
           "  奖:" + to_string(s.bonusScore) + "  关:" + to_string(s.levelNo) +
           " 轮:" + to_string(s.roundNo) + "(" + to_string(s.tilesCleared) +
           ")  类型:" + s.gameMode;
}

std::string gameFrameCaption(const GameState& s) {
    return "游戏 [开始:" + s.startTime.toText() + "]";
}

TileLook takeTileLook(std::string& cell) {
    const char first = cell.empty() ? '\0' : cell[0];
    const TileLook look{first >= '1' && first <= '9' ? first : '0', characterCount(cell) > 1};
    cell = firstCharacter(cell);
    return look;
}

}  // namespace qob
