#include "RecordReplay.h"

#include <optional>

#include "GameReplay.h"
#include "RecordExtras.h"
#include "TextForms.h"

namespace qob {

namespace {

std::string stepText(const ReplayResult& r) {
    return "对局记录第" + std::to_string(r.step) + "步（第" + std::to_string(r.at + 1) + "个字符）";
}

std::string faultText(const ReplayResult& r) {
    switch (r.fault) {
        case ReplayFault::None:
            break;
        case ReplayFault::UnknownMode:
            return "成绩的游戏模式不明，无法复盘。";
        case ReplayFault::TooLong:
            return "对局记录太长，无法复盘。";
        case ReplayFault::Unexpected:
            if (!r.need) return stepText(r) + "不是一步操作。";
            switch (*r.need) {
                case Draw::GameID:
                    return stepText(r) + "应是棋盘编号（1到999999）。";
                case Draw::Tile:
                    return stepText(r) + "应是落下的新泡泡（1到7）。";
                case Draw::Shuffle:
                    return stepText(r) + "应是内盘重组抽到的位置（1到25）。";
            }
            break;
        case ReplayFault::Missing:
            return "对局记录在第" + std::to_string(r.step) + "步中途就结束了。";
        case ReplayFault::ClickRefused:
            return stepText(r) + "点击的泡泡不足3个相连，规则不允许这一步。";
        case ReplayFault::RingUnavailable:
            return stepText(r) + "使用外边转动或内盘重组，但此时不能使用。";
        case ReplayFault::ClockStands:
            return stepText(r) + "是计时器的一次计时，但此时计时器没有运行。";
        case ReplayFault::AfterEnd:
            return "游戏在对局记录第" + std::to_string(r.step) + "步已经结束，之后却还有记录。";
    }
    return "对局记录无法复盘。";
}

// The first value in which the replayed game and the record differ, in words; nothing
// when they agree.
std::optional<std::string> difference(const GameState& g, const RecordValues& v) {
    const struct {
        const char* name;
        std::string replayed, recorded;
    } values[] = {
        {"棋盘编号", g.gameID, v.gameID},
        {"游戏状态", g.gameState, v.gameState},
        {"关", std::to_string(g.levelNo), std::to_string(v.levelNo)},
        {"轮", std::to_string(g.roundNo), std::to_string(v.roundNo)},
        {"消掉的泡泡", std::to_string(g.tilesCleared), std::to_string(v.tilesCleared)},
        {"总分", std::to_string(g.totalScore), std::to_string(v.totalScore)},
        {"分", std::to_string(g.moveScore), std::to_string(v.moveScore)},
        {"奖", std::to_string(g.bonusScore), std::to_string(v.bonusScore)},
        {"过关进度", formatDouble(g.levelProgress), formatDouble(v.levelProgress)},
        {"计时", formatDouble(g.clockValue), formatDouble(v.clockValue)},
        {"转动与重组次数", std::to_string(g.ringMoves), std::to_string(v.ringMoves)},
    };
    for (const auto& value : values)
        if (value.replayed != value.recorded)
            return std::string(value.name) + "复盘为" + value.replayed + "，成绩中为" +
                   value.recorded;
    for (int i = 1; i <= 49; ++i) {
        const int x = boardFieldX(i);
        const int y = boardFieldY(i);
        if (g.board[x][y] != v.boardCells[i])
            return "棋盘第" + std::to_string(y) + "行第" + std::to_string(x) + "列复盘为“" +
                   g.board[x][y] + "”，成绩中为“" + v.boardCells[i] + "”";
    }
    return std::nullopt;
}

}  // namespace

RecordReplay replayRecord(std::string_view recordText, const RecordValues& values) {
    RecordReplay result;
    if (!hasExtra(recordText, kLogKey)) return result;
    result.verdict = ReplayVerdict::Refused;
    const std::optional<std::string> log = findExtra(recordText, kLogKey);
    if (!log) {
        result.reason = "对局记录无法读取。";
        return result;
    }
    const ReplayResult replay = replayGame(values.gameMode, *log);
    if (replay.fault != ReplayFault::None) {
        result.reason = faultText(replay);
    } else if (const auto differs = difference(replay.state, values)) {
        result.reason = "复盘结果与成绩不符：" + *differs + "。";
    } else {
        result.verdict = ReplayVerdict::Verified;
    }
    return result;
}

}  // namespace qob
