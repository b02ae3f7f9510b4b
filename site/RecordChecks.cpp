#include "RecordChecks.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "BoardGroups.h"
#include "CodePage936.h"
#include "Game.h"
#include "RecordExtras.h"
#include "RecordReplay.h"
#include "TextForms.h"

namespace qob::site {

namespace {

using Refusal = std::optional<std::string>;

// The bars' maximum, which the rules rely on: the level clock's end and a full level bar.
constexpr int kBarFull = 100;
constexpr std::int32_t kInt32Max = std::numeric_limits<std::int32_t>::max();

std::string number(std::int64_t n) {
    return std::to_string(n);
}

// What a reason calls a field.
std::string fieldName(int k) {
    switch (k) {
        case 8:
            return "游戏编号";
        case 9:
            return "备用值";
        case 10:
            return "开始时间";
        case 11:
            return "保存时间";
        case 12:
            return "总分";
        case 13:
            return "分";
        case 14:
            return "奖";
        case 15:
            return "模式";
        case 16:
            return "状态";
        case 17:
            return "关数";
        case 18:
            return "轮数";
        case 19:
            return "消珠数";
        case 20:
            return "时钟";
        case 21:
            return "过关条";
        case 22:
            return "转动次数";
        default:
            break;
    }
    if (k >= 31 && k <= 79) return "消去 " + number(k - 30) + " 颗的次数";
    if (k >= 81 && k <= 129) return "珠台格子";
    return "固定字段";
}

std::string notWrittenByTheGame(int k) {
    return "记录的第 " + number(k) + " 个字段（" + fieldName(k) + "）不是游戏写下的值。";
}

// The value of an int32 counter the engine adds to with saturation.
std::int64_t saturated(std::int64_t n) {
    return std::min<std::int64_t>(n, kInt32Max);
}

std::int64_t movePointsOf(const std::string& mode, int n) {
    return Game::movePoints(mode, n).value_or(0);
}

// The record as the game writes it: nothing but printable text, 201 fields or more,
// "QOB", a score record sealed as one.
Refusal formRefusal(std::string_view text, const RecordPieces& pieces, int count) {
    // The size of the record as the game writes and sends it, in code page 936.
    if (text.size() > kScoreRecordLimit && toCodePage936(text).size() > kScoreRecordLimit)
        return "记录太大：成绩记录最多 " + number(kScoreRecordLimit) + " 字节。";
    for (const char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return std::string("记录中有控制字符（如换行），这不是游戏写下的记录。");
    if (count < kRecordFieldCount)
        return "记录不完整：只有 " + number(count) + " 个字段，成绩记录有 " +
               number(kRecordFieldCount) + " 个。";
    if (pieces[0] != "QOB") return std::string("这不是霁虹珠台的记录：记录的开头不是“QOB”。");
    if (pieces[1] == kKindSave)
        return std::string(
            "这是进度记录（save），不是成绩记录：只能发布游戏保存的成绩记录（.rec 文件）。");
    if (pieces[1] != kKindRec) return std::string("记录的种类不明：只能发布成绩记录（rec）。");
    const RecordSeal seal = sealRecord(kKindRec, pieces);
    if (pieces[2] != seal.digest1 || pieces[3] != seal.digest2 || pieces[4] != seal.digest3 ||
        pieces[5] != seal.digest4)
        return std::string("记录的校验不符：记录在保存之后被改动过。");
    return std::nullopt;
}

// Fields every record of the game holds the same way.
Refusal fixedFieldRefusal(const RecordPieces& pieces) {
    if (pieces[6] != kRecordVersion) return notWrittenByTheGame(6);
    if (pieces[7] != kRecordDate) return notWrittenByTheGame(7);
    if (pieces[9] != "0") return notWrittenByTheGame(9);
    for (int k = 23; k <= 200; ++k) {
        const bool zero = (k <= 30) || k == 80 || k >= 130;
        if (zero && pieces[k] != "0") return notWrittenByTheGame(k);
    }
    // The frame cell below the board, which nothing ever fills.
    if (!pieces[129].empty()) return notWrittenByTheGame(129);
    return std::nullopt;
}

Refusal valueRefusal(const RecordValues& v) {
    const std::string& id = v.gameID;
    const bool digits =
        !id.empty() && id.size() <= 6 && id[0] != '0' &&
        std::all_of(id.begin(), id.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!digits) return std::string("游戏编号超出范围：应是 1 到 999999 之间的整数。");
    if (v.gameMode != kModeGame && v.gameMode != kModeSport && v.gameMode != kModeLim)
        return std::string("游戏模式不明：只有常规、过关和限次三种模式。");
    if (v.gameState != kStateRun && v.gameState != kStateStop) return std::string("游戏状态不明。");
    if (v.startTime.isNull() || v.saveTime.isNull())
        return std::string("记录缺少开始时间或保存时间。");
    for (int i = 1; i < kTileCount; ++i) {
        // A tile that came in during the last move carries the round it came in.
        const std::string& cell = v.boardCells[i];
        if (cell.size() > 1) {
            const auto round = parseInt32(std::string_view(cell).substr(1));
            if (!round || *round < 1 || *round > v.roundNo) return notWrittenByTheGame(80 + i);
        }
    }
    return std::nullopt;
}

// Whether the record's board could be left with a move, or with none: the top-left cell
// is in no field, so each tile it may hold counts.
struct BoardMoves {
    bool canHaveMove = false;
    bool canLackMove = false;
};

BoardMoves boardMoves(const RecordValues& v) {
    Grid board;
    for (int i = 1; i < kTileCount; ++i)
        board[boardFieldX(i)][boardFieldY(i)] = v.boardCells[i];
    BoardMoves moves;
    for (char tile = '1'; tile <= '7'; ++tile) {
        board[1][1] = std::string(1, tile);
        (hasMove(board) ? moves.canHaveMove : moves.canLackMove) = true;
    }
    return moves;
}

// What each mode keeps: levels, the clock, the level bar and the ring buttons belong to
// "sport" alone. A game ends when its board has no move left; a "lim" game also at its
// last round, a "sport" game when its clock runs out, or when the board has no move and
// the ring buttons no use left.
Refusal modeRefusal(const RecordValues& v) {
    const bool stopped = v.gameState == kStateStop;
    const auto deadBoard = [&v] { return boardMoves(v).canLackMove; };
    if (v.gameMode != kModeSport) {
        if (v.levelNo != 0 || v.clockValue != 0 || v.levelProgress != 0 || v.ringMoves != 0)
            return std::string("常规模式和限次模式没有关数、时钟、过关条和转动，记录里却有。");
        if (v.gameMode == kModeGame && stopped && !deadBoard())
            return std::string("常规模式的游戏在没有可消的泡泡时才结束，记录的状态与珠台不符。");
        if (v.gameMode == kModeLim && v.roundNo > kLimRounds)
            return "限次模式一局最多 " + number(kLimRounds) + " 轮，记录里有 " + number(v.roundNo) +
                   " 轮。";
        const bool lastRound = v.roundNo == kLimRounds;
        if (v.gameMode == kModeLim && (lastRound ? !stopped : stopped && !deadBoard()))
            return "限次模式的游戏在第 " + number(kLimRounds) +
                   " 轮或没有可消的泡泡时结束，记录的状态与此不符。";
        return std::nullopt;
    }
    if (v.levelNo < 1) return std::string("过关模式从第 1 关开始，记录的关数不对。");
    if (!(v.clockValue >= 0 && v.clockValue <= kBarFull) ||
        v.clockValue != std::floor(v.clockValue))
        return "过关模式的时钟一格一格地走，从 0 到 " + number(kBarFull) + " 格，记录的时钟不对。";
    if (!(v.levelProgress >= 0 && v.levelProgress <= kBarFull))
        return "过关条在 0 到 " + number(kBarFull) + " 之间，记录的过关条不对。";
    if (v.ringMoves > kRingUses)
        return "外边转动和内盘重组每关合计只能用 " + number(kRingUses) + " 次，记录里有 " +
               number(v.ringMoves) + " 次。";
    const bool clockOut = v.clockValue == kBarFull;
    if (clockOut ? !stopped : stopped && !(v.ringMoves == kRingUses && deadBoard()))
        return std::string(
            "过关模式的游戏在时钟走满、或没有可消的泡泡又不能再转动时结束，记录的状态与此不符。");
    return std::nullopt;
}

// The sizes of this game's moves: every accepted move of the program's run is counted in
// sizeTally, this game's among them.
struct MoveSizes {
    int low = kSmallestGroup;
    int high = kTileCount;
};

Refusal countRefusal(const RecordValues& v, MoveSizes& sizes) {
    const std::int64_t rounds = v.roundNo;
    const std::int64_t tiles = v.tilesCleared;
    if (tiles < rounds * kSmallestGroup || tiles > rounds * kTileCount)
        return "每轮消去 " + number(kSmallestGroup) + " 到 " + number(kTileCount) + " 颗珠子：" +
               number(rounds) + " 轮消不了 " + number(tiles) + " 颗。";

    std::int64_t moves = 0;
    std::int64_t tallied = 0;
    int low = 0;
    int high = 0;
    for (int n = 1; n < kSmallestGroup; ++n)
        if (v.sizeTally[n] != 0)
            return "游戏不接受少于 " + number(kSmallestGroup) + " 颗的组，记录里却有。";
    for (int n = kSmallestGroup; n <= kTileCount; ++n) {
        if (v.sizeTally[n] == 0) continue;
        moves += v.sizeTally[n];
        tallied += std::int64_t{n} * v.sizeTally[n];
        if (low == 0) low = n;
        high = n;
    }
    if (moves < rounds || tallied < tiles ||
        (rounds > 0 && (tiles < rounds * low || tiles > rounds * high)))
        return std::string("各种大小的组的次数与轮数、消珠数不符。");
    if (rounds > 0) sizes = MoveSizes{low, high};

    if (v.gameMode == kModeSport) {
        // Each level before this one was finished by at least one move; a level bar that
        // has moved holds at least one more.
        const bool moved = v.levelProgress > 0;
        const std::int64_t fewestRounds = std::int64_t{v.levelNo} - 1 + (moved ? 1 : 0);
        const std::int64_t fewestTiles =
            fewestTilesBefore(v.levelNo) + (moved ? kSmallestGroup : 0);
        if (rounds < fewestRounds || tiles < fewestTiles)
            return "到第 " + number(v.levelNo) + " 关至少要走 " + number(fewestRounds) +
                   " 轮、消去 " + number(fewestTiles) + " 颗珠子，记录里只有 " + number(rounds) +
                   " 轮、" + number(tiles) + " 颗。";
    }
    return std::nullopt;
}

Refusal scoreRefusal(const RecordValues& v, const MoveSizes& sizes) {
    const std::string& mode = v.gameMode;
    const std::string moves = number(v.roundNo) + " 轮、" + number(v.tilesCleared) + " 颗珠子";
    const SumRange points = sumRange([&](int n) { return movePointsOf(mode, n); }, v.roundNo,
                                     v.tilesCleared, sizes.low, sizes.high);
    if (v.moveScore < saturated(points.low) || v.moveScore > saturated(points.high))
        return "分（" + number(v.moveScore) + "）不是 " + moves + "能得到的：应在 " +
               number(saturated(points.low)) + " 到 " + number(saturated(points.high)) + " 之间。";

    const SumRange bonuses = sumRange([&](int n) { return Game::moveBonus(mode, n); }, v.roundNo,
                                      v.tilesCleared, sizes.low, sizes.high);
    const std::int64_t levels = mode == kModeSport ? levelBonusSum(v.levelNo) : 0;
    const std::int64_t bonusLow = saturated(levels + bonuses.low);
    const std::int64_t bonusHigh = saturated(levels + bonuses.high);
    if (v.bonusScore < bonusLow || v.bonusScore > bonusHigh) {
        if (mode == kModeSport)
            return "奖（" + number(v.bonusScore) + "）与过关奖分不符：到第 " + number(v.levelNo) +
                   " 关应是 " + number(bonusLow) + "。";
        return "奖（" + number(v.bonusScore) + "）不是 " + moves + "能得到的：应在 " +
               number(bonusLow) + " 到 " + number(bonusHigh) + " 之间。";
    }

    // The total is made at every move. A new level adds its bonus after the move that
    // reached it, so until the first move on the new board the total lacks that bonus.
    const bool afterMove = v.totalScore == saturatingAdd(v.bonusScore, v.moveScore);
    const bool beforeFirstMoveOfLevel =
        mode == kModeSport && v.levelNo >= 2 && v.levelProgress == 0 &&
        v.totalScore == saturatingAdd(levelBonusSum(v.levelNo - 1), v.moveScore);
    if (!afterMove && !beforeFirstMoveOfLevel)
        return "总分（" + number(v.totalScore) + "）不等于分加奖。";
    return std::nullopt;
}

Refusal timeRefusal(const RecordValues& v, TimePoint now) {
    const std::int64_t started = secondsOf(v.startTime);
    const std::int64_t saved = secondsOf(v.saveTime);
    if (started > saved) return std::string("开始时间晚于保存时间。");
    const std::int64_t latest =
        secondsOf(utcDateTime(now)) + kLatestZoneSeconds + kClockSlackSeconds;
    if (saved > latest) return std::string("保存时间在将来：请检查电脑的日期和时间。");
    if (v.gameMode == kModeSport && v.clockValue >= 2) {
        // After the first tick of a level the clock ticks once every clockInterval.
        const double needed = (v.clockValue - 1) * Game::clockInterval(v.levelNo) / 1000.0;
        // Whole seconds on both ends, and a timer that may fire a little early.
        if (static_cast<double>(saved - started) + 2 < needed * 0.99)
            return "过关模式的时钟走了 " + formatDouble(v.clockValue) + " 格，至少要 " +
                   number(static_cast<std::int64_t>(needed)) + " 秒，记录的游戏只有 " +
                   number(saved - started) + " 秒。";
    }
    return std::nullopt;
}

bool isContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// Length of the well-formed UTF-8 sequence at the front of s, or 0.
std::size_t utf8Length(std::string_view s) {
    const auto c = static_cast<unsigned char>(s[0]);
    std::size_t n = c < 0x80           ? 1
                    : (c >> 5) == 0x6  ? 2
                    : (c >> 4) == 0xE  ? 3
                    : (c >> 3) == 0x1E ? 4
                                       : 0;
    if (n == 0 || n > s.size() || (n == 2 && c < 0xC2)) return 0;
    for (std::size_t i = 1; i < n; ++i)
        if (!isContinuation(static_cast<unsigned char>(s[i]))) return 0;
    if (n == 3) {
        const auto d = static_cast<unsigned char>(s[1]);
        if ((c == 0xE0 && d < 0xA0) || (c == 0xED && d >= 0xA0)) return 0;
    }
    if (n == 4) {
        const auto d = static_cast<unsigned char>(s[1]);
        if ((c == 0xF0 && d < 0x90) || (c == 0xF4 && d >= 0x90) || c > 0xF4) return 0;
    }
    return n;
}

}  // namespace

SumRange sumRange(const std::function<std::int64_t(int)>& value, std::int64_t rounds,
                  std::int64_t tiles, int nLow, int nHigh) {
    SumRange range;
    if (rounds <= 0) return range;
    bool convex = true;
    std::int64_t least = value(nLow);
    std::int64_t most = least;
    for (int n = nLow; n <= nHigh; ++n) {
        least = std::min(least, value(n));
        most = std::max(most, value(n));
        if (n > nLow && n < nHigh && value(n - 1) + value(n + 1) < 2 * value(n)) convex = false;
    }
    if (!convex) return SumRange{rounds * least, rounds * most};
    // The least: the tiles spread as evenly as they go. The most: as many moves as
    // possible at nHigh, the others at nLow, and one in between.
    const std::int64_t even = tiles / rounds;
    const std::int64_t over = tiles % rounds;
    range.low = over * value(static_cast<int>(even + (over > 0 ? 1 : 0))) +
                (rounds - over) * value(static_cast<int>(even));
    const std::int64_t span = nHigh - nLow;
    const std::int64_t extra = tiles - rounds * nLow;
    const std::int64_t full = span == 0 ? 0 : extra / span;
    const std::int64_t rest = span == 0 ? 0 : extra % span;
    range.high = full * value(nHigh) + (rest > 0 ? value(static_cast<int>(nLow + rest)) : 0) +
                 (rounds - full - (rest > 0 ? 1 : 0)) * value(nLow);
    return range;
}

std::int32_t levelBonusSum(std::int32_t levelNo) {
    std::int32_t sum = 0;
    // Level 1 is where a game starts; the bonuses grow, so the sum soon stops at the top
    // of the 32-bit range.
    for (std::int32_t level = 2; level <= levelNo && sum < kInt32Max; ++level)
        sum = saturatingAdd(sum, Game::levelBonus(level));
    return sum;
}

std::int64_t fewestTilesBefore(std::int32_t levelNo) {
    std::int64_t tiles = 0;
    for (std::int32_t level = 1; level < levelNo; ++level) {
        // One move of n tiles fills more of the bar than any moves of n tiles in all
        // (the gain grows with n squared), so the fewest tiles are one group's.
        int n = kSmallestGroup;
        while (n < kTileCount && Game::levelGain(level, n) < kBarFull * (1 - 1e-9))
            ++n;
        if (n == kSmallestGroup) return tiles + std::int64_t{levelNo - level} * kSmallestGroup;
        tiles += n;
    }
    return tiles;
}

std::string playerNameOf(std::string_view text) {
    const std::string raw = findExtra(text, kNameKey).value_or("");
    std::string name;
    std::size_t characters = 0;
    for (std::size_t i = 0; i < raw.size() && characters < kNameLimit;) {
        const std::string_view rest(raw.data() + i, raw.size() - i);
        const std::size_t n = utf8Length(rest);
        const auto c = static_cast<unsigned char>(raw[i]);
        if (n == 0)
            name += '?';
        else if (c < 0x20 || c == 0x7F)
            name += ' ';
        else
            name.append(rest.substr(0, n));
        i += n == 0 ? 1 : n;
        ++characters;
    }
    const std::size_t first = name.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return name.substr(first, name.find_last_not_of(' ') + 1 - first);
}

RecordVerdict checkScoreRecord(std::string_view text, TimePoint now) {
    RecordVerdict verdict;
    RecordPieces pieces;
    const int count = splitRecord(text, pieces);
    if (Refusal r = formRefusal(text, pieces, count)) {
        verdict.reason = std::move(*r);
        return verdict;
    }
    RecordParse parse = parseRecord(pieces);
    if (!parse.values) {
        verdict.reason = notWrittenByTheGame(parse.badField);
        return verdict;
    }
    const RecordValues& v = *parse.values;
    MoveSizes sizes;
    Refusal r = fixedFieldRefusal(pieces);
    if (!r) r = valueRefusal(v);
    if (!r) r = modeRefusal(v);
    if (!r) r = countRefusal(v, sizes);
    if (!r) r = scoreRefusal(v, sizes);
    if (!r) r = timeRefusal(v, now);
    // Last, as the dearest: a record that carries the log of its game passes only when the
    // rules, playing the log again, end in the record's game. One without (from a writer
    // older than the log, or a game that outgrew it) passes unverified.
    const RecordReplay replay = r ? RecordReplay{} : replayRecord(text, v);
    if (replay.verdict == ReplayVerdict::Refused) r = replay.reason;
    if (r) {
        verdict.reason = std::move(*r);
        return verdict;
    }

    CheckedRecord record;
    record.verified = replay.verdict == ReplayVerdict::Verified;
    record.seal = std::string(pieces[2]) + std::string(pieces[3]) + std::string(pieces[4]) +
                  std::string(pieces[5]);
    record.playerName = playerNameOf(text);
    record.text = std::string(text);
    record.values = std::move(*parse.values);
    verdict.record = std::move(record);
    return verdict;
}

}  // namespace qob::site
