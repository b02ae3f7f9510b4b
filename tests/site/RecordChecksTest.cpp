// The site's checks of a score record: every record the game's rules and record procedure
// write passes; each thing a rule makes impossible is refused with its reason.
#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <limits>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "Game.h"
#include "PlayedGame.h"
#include "RecordChecks.h"
#include "RecordCodec.h"
#include "RecordEdits.h"
#include "RecordExtras.h"

namespace qob::site {
namespace {

using test::fieldsOf;
using test::joinedFields;
using test::PlayedGame;
using test::resealed;

constexpr DateTime kStart{2026, 3, 4, 10, 0, 0};

TimePoint utc(const DateTime& t) {
    return TimePoint{std::chrono::seconds{secondsOf(t)}};
}

// The site's moment in the tests: the morning after the games, in UTC.
const TimePoint kNow = utc(DateTime{2026, 3, 5, 0, 0, 0});

// The record passes, verified by the replay of its log unless it is one the rules did not
// make alone; its values.
RecordValues accepted(const std::string& record, const std::string& what, bool verified = true) {
    const RecordVerdict verdict = checkScoreRecord(record, kNow);
    EXPECT_TRUE(verdict.record) << what << ": " << verdict.reason;
    if (!verdict.record) return RecordValues{};
    EXPECT_EQ(verdict.record->verified, verified) << what;
    return verdict.record->values;
}

// Plays a game of the mode in pieces of `moves` moves (with `ticks` clock ticks after each
// in "sport"), saving a record after every piece, until the game ends by itself, whose
// record is the last; every record must pass. Returns the values of the records.
std::vector<RecordValues> playAndSave(const std::string& mode, std::uint64_t seed, int pieces,
                                      int moves, int ticks = 0) {
    PlayedGame g(mode, kStart, seed);
    std::vector<RecordValues> saved;
    for (int k = 0; k < pieces; ++k) {
        g.play(moves);
        if (ticks > 0) g.tick(ticks);
        if (mode == kModeSport && k % 3 == 0 && g.game.state.ringMoves < kRingUses)
            g.game.Command8_Click();
        const std::string what =
            mode + " game " + std::to_string(seed) + ", piece " + std::to_string(k);
        if (!g.finalRecord().empty()) {
            saved.push_back(accepted(g.finalRecord(), what + ", at its end"));
            break;
        }
        saved.push_back(accepted(g.save("玩家"), what));
    }
    return saved;
}

TEST(RecordChecks, RecordsOfGamesPlayedByTheRulesPass) {
    // Open play: some games end when no group is left, all collect bonuses.
    bool bonus = false;
    for (std::uint64_t seed = 1; seed <= 6; ++seed)
        for (const RecordValues& v : playAndSave(kModeGame, seed, 15, 10))
            bonus = bonus || v.bonusScore > 0;
    EXPECT_TRUE(bonus) << "no group of five in open play";

    // Limited games end at their last round, or earlier when no group is left.
    bool lastRound = false;
    bool earlier = false;
    for (std::uint64_t seed = 1; seed <= 60 && !(lastRound && earlier); ++seed) {
        const std::vector<RecordValues> saved = playAndSave(kModeLim, seed, 10, 20);
        ASSERT_FALSE(saved.empty());
        const RecordValues& last = saved.back();
        if (last.gameState == kStateStop) (last.roundNo == kLimRounds ? lastRound : earlier) = true;
    }
    EXPECT_TRUE(lastRound) << "no limited game reached its last round";
    EXPECT_TRUE(earlier) << "no limited game ran out of groups";

    // Timed levels: several levels, the ring buttons, and the clock's end.
    int levels = 0;
    bool clockOut = false;
    for (std::uint64_t seed = 1; seed <= 3; ++seed) {
        const std::vector<RecordValues> saved = playAndSave(kModeSport, seed, 60, 15, 3);
        for (const RecordValues& v : saved)
            levels = std::max(levels, v.levelNo);
        PlayedGame g(kModeSport, kStart, seed + 100);
        g.play(20);
        g.tick(100);
        ASSERT_FALSE(g.finalRecord().empty()) << "the clock did not end the game";
        clockOut = accepted(g.finalRecord(), "at the clock's end").clockValue == 100;
    }
    EXPECT_GE(levels, 3) << "no game got far enough to test the levels";
    EXPECT_TRUE(clockOut);
}

TEST(RecordChecks, ATotalMadeBeforeTheNewLevelsBonusPasses) {
    // A level ends on a move; its bonus comes after that move's total. Saved before the
    // first move on the new board, the total lacks the bonus.
    PlayedGame g(kModeSport, kStart, 4);
    const int level = g.game.state.levelNo;
    while (g.game.state.levelNo == level && g.play(1) == 1) {
    }
    ASSERT_EQ(g.game.state.levelNo, level + 1);
    ASSERT_EQ(g.game.state.levelProgress, 0);
    ASSERT_NE(g.game.state.totalScore, g.game.state.moveScore + g.game.state.bonusScore);
    EXPECT_EQ(accepted(g.save("刚过关"), "saved right after a level").totalScore,
              g.game.state.totalScore);
}

TEST(RecordChecks, ATimedGameEndedByABoardWithoutGroupsPasses) {
    // The last ring use leaves no group: the game ends and writes its record.
    PlayedGame g(kModeSport, kStart, 5);
    g.play(5);
    // The boards are set by hand: the game no longer follows from its log, and its record
    // carries none.
    g.game.state.gameLog.drop();
    g.game.state.ringMoves = kRingUses - 1;
    for (int a = 1; a < 7 && g.finalRecord().empty(); ++a)
        for (int b = 1; b < 7 && g.finalRecord().empty(); ++b) {
            for (int y = 1; y <= kBoardSize; ++y)
                for (int x = 1; x <= kBoardSize; ++x)
                    g.game.state.board[x][y] = std::to_string((a * x + b * y) % 7 + 1);
            g.game.state.ringMoves = kRingUses - 1;
            g.game.Command8_Click();
        }
    ASSERT_FALSE(g.finalRecord().empty()) << "no board stayed without a group";
    const RecordValues v = accepted(g.finalRecord(), "ended without groups", false);
    EXPECT_EQ(v.gameState, kStateStop);
    EXPECT_EQ(v.ringMoves, kRingUses);
    EXPECT_LT(v.clockValue, 100);
}

struct Refused {
    const char* what;
    const char* mode;
    // Changes the record's fields (the pieces after field 200 included).
    std::function<void(std::vector<std::string>&)> change;
    bool reseal;
    const char* reason;  // a part of the reason given
};

void PrintTo(const Refused& c, std::ostream* out) {
    *out << c.what;
}

class RecordRefusal : public ::testing::TestWithParam<Refused> {};

// Records of played games to change: the seal of each stays sound after the change, so
// only the rules can tell.
const std::string& recordOf(const std::string& mode) {
    static const std::string game = [] {
        PlayedGame g(kModeGame, kStart, 11);
        g.play(80);
        return g.save("小明");
    }();
    static const std::string sport = [] {
        PlayedGame g(kModeSport, kStart, 12);
        while (g.game.state.levelNo < 3 && g.play(10) == 10)
            g.tick(2);
        g.play(2);
        g.tick(30);
        return g.save("小红");
    }();
    static const std::string lim = [] {
        PlayedGame g(kModeLim, kStart, 13);
        g.play(40);
        return g.save("小刚");
    }();
    return mode == kModeGame ? game : mode == kModeSport ? sport : lim;
}

TEST_P(RecordRefusal, IsRefusedWithItsReason) {
    const Refused& c = GetParam();
    const std::string& original = recordOf(c.mode);
    ASSERT_TRUE(checkScoreRecord(original, kNow).record) << "the record to change is refused";
    std::vector<std::string> fields = fieldsOf(original);
    c.change(fields);
    const std::string record = c.reseal ? resealed(fields) : joinedFields(fields);

    const RecordVerdict verdict = checkScoreRecord(record, kNow);
    EXPECT_FALSE(verdict.record);
    EXPECT_NE(verdict.reason.find(c.reason), std::string::npos) << verdict.reason;
}

void set(std::vector<std::string>& f, int k, const std::string& value) {
    f[k] = value;
}
int number(const std::vector<std::string>& f, int k) {
    return std::stoi(f[k]);
}

const Refused kRefused[] = {
    // The form and the seal.
    {"a field changed", kModeGame, [](auto& f) { set(f, 12, "99999"); }, false, "校验不符"},
    {"field 0 changed", kModeGame, [](auto& f) { set(f, 0, "QOX"); }, true, "不是霁虹珠台"},
    {"a progress record", kModeGame, [](auto& f) { set(f, 1, "save"); }, true, "进度记录"},
    {"an unknown kind", kModeGame, [](auto& f) { set(f, 1, "abc"); }, true, "种类不明"},
    {"cut short", kModeGame, [](auto& f) { f.resize(150); }, false, "只有 150 个字段"},
    {"a line end inside", kModeGame, [](auto& f) { f.back() += "\r\n"; }, false, "控制字符"},
    {"larger than a score record", kModeGame,
     [](auto& f) { f.push_back("pad=" + std::string(kScoreRecordLimit, 'x')); }, false, "记录太大"},
    // Fields out of their range.
    {"gameID 0", kModeGame, [](auto& f) { set(f, 8, "0"); }, true, "游戏编号"},
    {"gameID 1000000", kModeGame, [](auto& f) { set(f, 8, "1000000"); }, true, "游戏编号"},
    {"gameID with a leading 0", kModeGame, [](auto& f) { set(f, 8, "0123"); }, true, "游戏编号"},
    {"a score beyond 32 bits", kModeGame, [](auto& f) { set(f, 12, "2147483648"); }, true,
     "第 12 个字段"},
    {"a negative count", kModeGame, [](auto& f) { set(f, 18, "-1"); }, true, "第 18 个字段"},
    {"an unknown mode", kModeGame, [](auto& f) { set(f, 15, "blitz"); }, true, "模式不明"},
    {"an unknown state", kModeGame, [](auto& f) { set(f, 16, "pause"); }, true, "状态不明"},
    {"a cell that is no tile", kModeGame, [](auto& f) { set(f, 90, "8"); }, true, "第 90 个字段"},
    {"a tile newer than the last round", kModeGame,
     [](auto& f) { set(f, 90, f[90] + std::to_string(number(f, 18) + 1)); }, true, "第 90 个字段"},
    {"the frame cell filled", kModeGame, [](auto& f) { set(f, 129, "3"); }, true, "第 129 个字段"},
    {"a fixed field changed", kModeGame, [](auto& f) { set(f, 23, "1"); }, true, "第 23 个字段"},
    {"another version", kModeGame, [](auto& f) { set(f, 6, "3.2"); }, true, "第 6 个字段"},
    {"no start time", kModeGame, [](auto& f) { set(f, 10, "0"); }, true, "开始时间或保存时间"},
    // The rules' arithmetic.
    {"total is not points plus bonus", kModeGame,
     [](auto& f) { set(f, 12, std::to_string(number(f, 12) + 1)); }, true, "总分"},
    {"more points than the moves allow", kModeGame,
     [](auto& f) {
         set(f, 13, std::to_string(number(f, 18) * 47 * 47 * 47 + 1));
         set(f, 12, std::to_string(number(f, 13) + number(f, 14)));
     },
     true, "分（"},
    {"fewer points than the moves allow", kModeLim,
     [](auto& f) {
         set(f, 13, std::to_string(number(f, 18) - 1));
         set(f, 12, f[13]);
     },
     true, "分（"},
    {"more tiles than 49 a round", kModeGame,
     [](auto& f) { set(f, 19, std::to_string(number(f, 18) * 49 + 1)); }, true, "每轮消去"},
    {"fewer tiles than 3 a round", kModeGame,
     [](auto& f) { set(f, 19, std::to_string(number(f, 18) * 3 - 1)); }, true, "每轮消去"},
    {"a group of two counted", kModeGame, [](auto& f) { set(f, 32, "1"); }, true, "少于 3 颗"},
    {"fewer groups counted than rounds", kModeLim,
     [](auto& f) {
         for (int k = 31; k <= 79; ++k)
             set(f, k, "0");
     },
     true, "组的次数"},
    {"a bonus in a limited game", kModeLim,
     [](auto& f) {
         set(f, 14, "10");
         set(f, 12, std::to_string(number(f, 13) + 10));
     },
     true, "奖（"},
    {"181 rounds of a limited game", kModeLim, [](auto& f) { set(f, 18, "181"); }, true,
     "最多 180 轮"},
    {"a limited game ended with groups left", kModeLim, [](auto& f) { set(f, 16, "stop"); }, true,
     "没有可消的泡泡时结束"},
    {"a limited game going on after its last round", kModeLim, [](auto& f) { set(f, 18, "180"); },
     true, "没有可消的泡泡时结束"},
    {"open play ended with groups left", kModeGame, [](auto& f) { set(f, 16, "stop"); }, true,
     "没有可消的泡泡时才结束"},
    {"a timed game ended with groups left", kModeSport, [](auto& f) { set(f, 16, "stop"); }, true,
     "不能再转动时结束"},
    {"more ring uses than a level has", kModeSport, [](auto& f) { set(f, 22, "11"); }, true,
     "合计只能用 10 次"},
    {"a level in open play", kModeGame, [](auto& f) { set(f, 17, "2"); }, true, "没有关数"},
    {"a level bonus that does not match", kModeSport,
     [](auto& f) {
         set(f, 14, std::to_string(number(f, 14) + 1));
         set(f, 12, std::to_string(number(f, 13) + number(f, 14)));
     },
     true, "过关奖分"},
    {"a level reached in too few moves", kModeSport,
     [](auto& f) {
         const int level = number(f, 17) + 20;
         set(f, 17, std::to_string(level));
         set(f, 14, std::to_string(levelBonusSum(level)));
         set(f, 12, std::to_string(number(f, 13) + number(f, 14)));
     },
     true, "关至少要走"},
    {"a level 0 in sport", kModeSport, [](auto& f) { set(f, 17, "0"); }, true, "从第 1 关开始"},
    {"a clock beyond its end", kModeSport, [](auto& f) { set(f, 20, "101"); }, true, "时钟"},
    {"a clock between two ticks", kModeSport, [](auto& f) { set(f, 20, "30.5"); }, true, "时钟"},
    {"a clock at its end while running", kModeSport, [](auto& f) { set(f, 20, "100"); }, true,
     "时钟走满"},
    // Times.
    {"started after it was saved", kModeGame, [](auto& f) { set(f, 10, "2026-3-4 23:59:59"); },
     true, "开始时间晚于保存时间"},
    {"saved in the future", kModeGame,
     [](auto& f) { set(f, 11, "2026-3-5 14:11:00"); },  // later than anywhere's clock
     true, "将来"},
    {"a clock faster than its ticks", kModeSport, [](auto& f) { set(f, 10, f[11]); }, true,
     "时钟走了"},
};

INSTANTIATE_TEST_SUITE_P(Checks, RecordRefusal, ::testing::ValuesIn(kRefused),
                         [](const ::testing::TestParamInfo<Refused>& info) {
                             std::string name;
                             for (const char c : std::string(info.param.what))
                                 name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });

TEST(RecordChecks, ASaveTimeAheadOfUtcByAZoneIsNoFuture) {
    std::vector<std::string> fields = fieldsOf(recordOf(kModeGame));
    fields[11] = "2026-3-5 14:00:00";  // Kiritimati, UTC+14, at the site's moment
    const RecordVerdict verdict = checkScoreRecord(resealed(fields), kNow);
    EXPECT_TRUE(verdict.record) << verdict.reason;
}

TEST(RecordChecks, TheNameComesFromItsPieceMadeFitToShow) {
    struct Case {
        std::string piece;  // after field 200, escaped as the game writes it
        std::string name;
    };
    const Case cases[] = {
        {"", ""},
        {formatExtras({{kNameKey, "  小明  "}}), "小明"},
        {formatExtras({{kNameKey, "<b>|\"'\n"}}), "<b>|\"'"},
        {formatExtras({{"log", "x"}, {kNameKey, "a\tb"}}), "a b"},
        {formatExtras({{kNameKey, std::string(40, 'n')}}), std::string(kNameLimit, 'n')},
        {"|name=%FF%FEok", "??ok"},
        {"|name=%4", ""},  // not escaped as written
    };
    const std::string& record = recordOf(kModeGame);
    const std::string bare = record.substr(0, record.find("|name="));
    for (const Case& c : cases)
        EXPECT_EQ(playerNameOf(bare + c.piece), c.name) << c.piece;
}

TEST(RecordChecks, SumRangesAreTheExtremesOfConvexScores) {
    const auto cube = [](int n) { return Game::movePoints(kModeSport, n).value_or(0); };
    // Two moves, ten tiles: 5 + 5 at the least, 3 + 7 at the most.
    SumRange r = sumRange(cube, 2, 10, 3, 49);
    EXPECT_EQ(r.low, 2 * 27);
    EXPECT_EQ(r.high, 1 + 125);
    // Three moves of 3..6 tiles, 15 in all: 5 + 5 + 5, and 6 + 6 + 3.
    r = sumRange(cube, 3, 15, 3, 6);
    EXPECT_EQ(r.low, 3 * 27);
    EXPECT_EQ(r.high, 64 + 64 + 1);
    EXPECT_EQ(sumRange(cube, 0, 0, 3, 49).high, 0);
}

TEST(RecordChecks, LevelsNeedTheirTilesAndBringTheirBonus) {
    EXPECT_EQ(levelBonusSum(1), 0);
    EXPECT_EQ(levelBonusSum(3), Game::levelBonus(2) + Game::levelBonus(3));
    EXPECT_EQ(levelBonusSum(1'000'000'000), std::numeric_limits<std::int32_t>::max());
    // Level 1 needs one group with n * n * 100 / 1500 >= 100: 39 tiles.
    EXPECT_EQ(fewestTilesBefore(2), 39);
    EXPECT_EQ(fewestTilesBefore(1), 0);
    // Far up, every level still needs a group of three.
    EXPECT_EQ(fewestTilesBefore(1'000'000'000) - fewestTilesBefore(999'999'999), 3);
}

}  // namespace
}  // namespace qob::site
