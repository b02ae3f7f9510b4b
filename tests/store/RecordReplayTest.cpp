// Score records written by the game's own record procedure carry the game's log, and
// are checked by replaying it against the record's fields.
#include <gtest/gtest.h>

#include <string>

#include "BoardGroups.h"
#include "GameReplay.h"
#include "RecordCodec.h"
#include "RecordExtras.h"
#include "RecordFileIo.h"
#include "RecordReplay.h"
#include "RecordedGame.h"
#include "StoreTestSupport.h"

namespace qob::test {
namespace {

// What the website concludes of a record text: the seal and fields first, then the log.
RecordReplay judge(const std::string& text) {
    const RecordExamination e = examineRecord(text);
    EXPECT_EQ(e.check, RecordCheck::Sound);
    if (!e.parse.values) return {ReplayVerdict::Refused, "no values"};
    return replayRecord(text, *e.parse.values);
}

// The record text with its log piece replaced.
std::string withLog(const std::string& text, const std::string& log) {
    const std::size_t at = text.find("|log=");
    return text.substr(0, at) + "|log=" + log;
}

class RecordReplayTest : public ::testing::Test {
  protected:
    ScratchFolder scratch;
};

TEST_F(RecordReplayTest, RecordsOfGamesPlayedByTheRulesReplayToTheirFields) {
    for (const GameKind kind : kGameKinds) {
        SCOPED_TRACE(describe(kind));
        const RecordedGame r = recordGame(kind, scratch.path());
        ASSERT_TRUE(r.played);
        const std::optional<std::string> log = findExtra(r.text, kLogKey);
        ASSERT_TRUE(log);
        EXPECT_EQ(findExtra(r.text, kNameKey), "测试玩家");
        const RecordReplay verdict = judge(r.text);
        EXPECT_EQ(verdict.verdict, ReplayVerdict::Verified) << verdict.reason;
    }
}

TEST_F(RecordReplayTest, ARecordThatItsLogDoesNotGiveIsRefusedWithItsReason) {
    const RecordedGame r = recordGame(GameKind::LimWhole, scratch.path());
    ASSERT_TRUE(r.played);
    const std::string log = *findExtra(r.text, kLogKey);
    // The log ends with the last tile that entered the board, at the 180th round. (A tile
    // that a later deal swept away could be changed unnoticed: the game would end the same.)
    std::string lastTileChanged = log;
    ASSERT_TRUE(log.back() >= '1' && log.back() <= '7');
    lastTileChanged.back() = log.back() == '1' ? '2' : '1';
    std::string firstBoardChanged = log;
    firstBoardChanged[3] = firstBoardChanged[3] == 'A' ? 'B' : 'A';
    const struct {
        const char* what;
        std::string text;
        const char* reason;  // how the reason begins
    } cases[] = {
        {"the last tile that entered changed", withLog(r.text, lastTileChanged),
         "复盘结果与成绩不符：棋盘第"},
        {"the first board's identifier changed", withLog(r.text, firstBoardChanged), "对局记录第"},
        {"a step after the end", withLog(r.text, log + "z"), "游戏在对局记录第"},
        {"the log cut short", withLog(r.text, log.substr(0, log.size() / 2)), ""},
        {"a log that is not escaped as written", withLog(r.text, "AAB%G1"), "对局记录无法读取"},
        {"a score raised and sealed anew",
         resealed(r.text.substr(0, r.text.find("|name=")), 12,
                  std::to_string(r.played->recorded().totalScore + 1000)) +
             r.text.substr(r.text.find("|name=")),
         "复盘结果与成绩不符：总分复盘为"},
    };
    for (const auto& c : cases) {
        const RecordReplay verdict = judge(c.text);
        EXPECT_EQ(verdict.verdict, ReplayVerdict::Refused) << c.what;
        EXPECT_EQ(verdict.reason.rfind(c.reason, 0), 0u) << c.what << ": " << verdict.reason;
        EXPECT_FALSE(verdict.reason.empty()) << c.what;
    }
    // Without its log the same record is no more than unverified.
    const std::string noLog = r.text.substr(0, r.text.find("|log="));
    EXPECT_EQ(judge(noLog).verdict, ReplayVerdict::NoLog);
}

TEST_F(RecordReplayTest, AClickTheBoardDoesNotAllowIsRefused) {
    const RecordedGame r = recordGame(GameKind::LimWhole, scratch.path());
    ASSERT_TRUE(r.played);
    const std::string log = *findExtra(r.text, kLogKey);
    // The first click of the game moved to a cell outside any group of its board.
    const ReplayResult first = replayGame(kModeLim, log.substr(0, 4));
    int refused = -1;
    for (int i = 0; i < kTileCount && refused < 0; ++i)
        if (groupAt(first.state.board, i % 7 + 1, i / 7 + 1).size() < 3) refused = i;
    ASSERT_GE(refused, 0);
    std::string moved = log;
    moved[4] = logSymbol(refused);
    const RecordReplay verdict = judge(withLog(r.text, moved));
    EXPECT_EQ(verdict.verdict, ReplayVerdict::Refused);
    EXPECT_EQ(verdict.reason,
              "对局记录第1步（第5个字符）点击的泡泡不足3个相连，规则不允许这一步。");
}

TEST_F(RecordReplayTest, TheLogPieceIsWrittenOnlyWhereItDescribesTheGameAndFits) {
    GameLog log;
    log.start();
    log.outcome(Draw::GameID, "1");
    const std::string fields(900, '0');
    const struct {
        const char* what;
        std::string record;
        bool intact;
        bool written;
    } cases[] = {
        {"a whole game", fields, true, true},
        {"a log that no longer describes the game", fields, false, false},
        {"a record that just fits", std::string(kScoreRecordLimit - 9, '0'), true, true},
        {"a record one byte too long", std::string(kScoreRecordLimit - 8, '0'), true, false},
    };
    for (const auto& c : cases) {
        GameLog used = log;
        if (!c.intact) used.drop();
        std::string record = c.record;
        EXPECT_EQ(appendGameLog(record, used), c.written) << c.what;
        EXPECT_EQ(record, c.written ? c.record + "|log=AAAB" : c.record) << c.what;
    }
}

TEST_F(RecordReplayTest, AGameGoingOnFromAProgressFileIsRecordedWithoutALog) {
    RecordedGame r = recordGame(GameKind::SportRunning, scratch.path());
    ASSERT_TRUE(r.played);
    SampleGame& g = *r.played;
    const std::string sav = scratch / "g.sav";
    g.window.files.push_back(sav);
    r.files->ProgFileSave();
    EXPECT_FALSE(hasExtra(readRecordFile(sav).text, kLogKey));  // progress files carry none
    g.window.files.push_back(sav);
    r.files->ProgFileRead();
    EXPECT_FALSE(g.game.state.gameLog.intact());

    const std::string rec = scratch / "after.rec";
    g.window.files.push_back(rec);
    r.files->RecFileSave();
    const std::string text = readRecordFile(rec).text;
    EXPECT_FALSE(hasExtra(text, kLogKey));
    EXPECT_EQ(judge(text).verdict, ReplayVerdict::NoLog);

    // A new game has a log again.
    g.game.NewGame("auto");
    EXPECT_TRUE(g.game.state.gameLog.intact());
}

}  // namespace
}  // namespace qob::test
