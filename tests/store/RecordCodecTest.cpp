#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "FakeWindow.h"
#include "GoldenRecords.h"
#include "RecordCodec.h"
#include "StoreTestSupport.h"

namespace qob::test {
namespace {

const std::string kRefusalLog = std::string("messageBox ") + kRecordRefusal + " [] ok none";

class RecordCodecTest : public ::testing::Test {
  protected:
    void SetUp() override { window.clock = kGoldenSaveTime; }

    // Reads text into `other` and returns whether it was refused, after checking
    // that a refusal changed nothing and that the board was redrawn either way.
    bool readRefused(const std::string& text) {
        other.recordText = text;
        const std::string before = describe(other);
        window.log.clear();
        DoOnGame(other, window, "ReadString");
        const bool refused = window.count("messageBox") > 0;
        if (refused) {
            EXPECT_EQ(window.log, (std::vector<std::string>{kRefusalLog, "showBoard"}));
            EXPECT_EQ(describe(other), before);
        } else {
            EXPECT_EQ(window.calls("showBoard").size(), 1u);
        }
        return refused;
    }

    FakeWindow window;
    GameState game = goldenGame();
    GameState other = otherGame();
};

TEST_F(RecordCodecTest, WritesTheKnownRecordOfBothKinds) {
    game.saveTime = DateTime{};
    DoOnGame(game, window, "SaveString");
    EXPECT_EQ(game.recordText, kGoldenSave);
    EXPECT_EQ(game.saveTime, kGoldenSaveTime);

    DoOnGame(game, window, "RecString");
    EXPECT_EQ(game.recordText, kGoldenRec);
    // Writing redraws nothing and asks nothing.
    EXPECT_TRUE(window.log.empty());

    // The working variables hold the seal of the last write.
    EXPECT_EQ(game.recordText.substr(0, 4 + 3 + 4 * 33),
              "QOB|rec|" + game.recordDigest1 + "|" + game.recordDigest2 + "|" +
                  game.recordDigest3 + "|" + game.recordDigest4);
    EXPECT_EQ(game.recordText.substr(4 + 3 + 4 * 33),
              game.digestInput1 + game.digestInput2 + game.digestInput3 + game.digestInput4);
    EXPECT_EQ(game.recordFields[81], game.board[2][1]);
    EXPECT_EQ(game.recordFields[128], game.board[7][7]);
}

TEST_F(RecordCodecTest, ReadRestoresEveryFieldButTheTopLeftCell) {
    other.board[1][1] = "6";
    other.board[1][8] = "9";  // the frame cell the last board field lands in
    other.board[0][3] = "x";
    DoOnGame(game, window, "SaveString");
    const std::string text = game.recordText;

    GameState expected = game;
    expected.board[1][1] = "6";
    expected.board[1][8] = "";
    expected.board[0][3] = "x";
    expected.sizeTally[0] = other.sizeTally[0];
    expected.sizeTally[50] = other.sizeTally[50];
    expected.moveMessage = other.moveMessage;

    other.recordText = text;
    window.timer1 = false;
    window.log.clear();
    DoOnGame(other, window, "ReadString");
    EXPECT_EQ(describe(other), describe(expected));
    EXPECT_EQ(window.log, std::vector<std::string>{"showBoard"});
    EXPECT_EQ(other.recordText, text);
    EXPECT_EQ(other.recordParts.size(), 201u);
    EXPECT_EQ(other.recordParts[81], "5");

    // Written again, the restored game gives the same text.
    DoOnGame(other, window, "SaveString");
    EXPECT_EQ(other.recordText, text);
}

TEST_F(RecordCodecTest, ExtremeValuesComeBackUnchanged) {
    game.startTime = DateTime{};  // a game never started: "0"
    game.spareValue = "";
    game.gameID = "999999";
    game.totalScore = std::numeric_limits<std::int32_t>::min();
    game.moveScore = std::numeric_limits<std::int32_t>::max();
    game.bonusScore = -1;
    game.clockValue = 1e20;  // "1E+20"
    game.levelProgress = 0.1 + 0.2;
    // Counters at the ends of what a record may hold.
    game.levelNo = 1'000'000'000;
    game.sizeTally[1] = 0;
    game.board[7][7] = "7180";
    DoOnGame(game, window, "SaveString");
    ASSERT_NE(game.recordText.find("|1E+20|"), std::string::npos);

    other.recordText = game.recordText;
    DoOnGame(other, window, "ReadString");
    other.board[1][1] = game.board[1][1];
    other.sizeTally[0] = game.sizeTally[0];
    other.sizeTally[50] = game.sizeTally[50];
    other.moveMessage = game.moveMessage;
    game.board[1][8] = "";
    EXPECT_EQ(describe(other), describe(game));
    EXPECT_TRUE(other.startTime.isNull());
    EXPECT_EQ(formatDouble(other.levelProgress), "0.3");
}

TEST_F(RecordCodecTest, ReadStopsTheClockOnlyForAGameModeRecord) {
    struct Case {
        const char* mode;
        bool clockBefore;
        bool clockAfter;
    };
    for (const Case c :
         {Case{"game", true, false}, Case{"game", false, false}, Case{"sport", true, true},
          Case{"sport", false, false}, Case{"lim", true, true}, Case{"lim", false, false}}) {
        SCOPED_TRACE(std::string(c.mode) + (c.clockBefore ? " running" : " stopped"));
        game.gameMode = c.mode;
        DoOnGame(game, window, "SaveString");
        window.timer1 = c.clockBefore;
        ASSERT_FALSE(readRefused(game.recordText));
        EXPECT_EQ(window.timer1, c.clockAfter);
        EXPECT_EQ(window.count("timer1"), c.mode == std::string("game") ? 1 : 0);
        // The clock stops before the board is drawn.
        EXPECT_EQ(window.log.back(), "showBoard");
    }
}

TEST_F(RecordCodecTest, ScoreRecordIsRefused) {
    EXPECT_TRUE(readRefused(kGoldenRec));
    // Also when its kind word alone is changed: the first digest covers the kind.
    EXPECT_TRUE(readRefused(withField(kGoldenRec, 1, "save")));
    EXPECT_FALSE(readRefused(kGoldenSave));
}

TEST_F(RecordCodecTest, AChangeToAnySealedFieldIsRefused) {
    // The new values all parse, so only the seal can refuse them.
    const std::vector<std::pair<int, std::string>> changes = {
        {1, "rec"},
        {2, "0F20570B9E1A72A6CB77E8A466344F00"},
        {3, "6E1E5950B9D55F3007EC42C17F8A5AB2"},
        {4, "f11a878b7ab949ae09d8ff22851595ee"},
        {5, ""},
        {6, "3.2.beta"},
        {7, "2005-6-1 00:00:02"},
        {8, "402719"},
        {9, "1"},
        {10, "2024-3-9 8:05:08"},
        {11, "2024-3-9 9:15:01"},
        {12, "99999"},
        {14, "13001"},
        {15, "game"},
        {16, "stop"},
        {17, "3"},
        {20, "42.5"},
        {22, "4"},
        {23, "1"},
        {30, "1"},
        {31, "1"},
        {79, "3"},
        {80, "1"},
        {81, "6"},
        {128, "2"},
        {129, "1"},
        {130, "1"},
        {165, "00"},
        {200, "1"},
    };
    for (const auto& [field, value] : changes) {
        SCOPED_TRACE("field " + std::to_string(field));
        EXPECT_TRUE(readRefused(withField(kGoldenSave, field, value)));
    }
}

TEST_F(RecordCodecTest, WhatLiesOutsideTheSealIsIgnored) {
    struct Case {
        const char* what;
        std::string text;
        bool refused;
    };
    const std::string golden = kGoldenSave;
    for (const Case& c : {
             Case{"field 0 changed", withField(golden, 0, "XYZ"), false},
             Case{"field 0 emptied", golden.substr(3), false},
             Case{"fields after 200", golden + "|extra|more", false},
             Case{"an empty field after 200", golden + "|", false},
             Case{"a line end on field 200", golden + "\r\n", true},
             Case{"a newline on field 200", golden + "\n", true},
             Case{"text on field 200", golden + "x|extra", true},
         }) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(readRefused(c.text), c.refused);
        if (!c.refused) {
            EXPECT_EQ(other.gameID, "402718");
        }
    }
}

TEST_F(RecordCodecTest, AFieldThatHoldsNoValueRefusesTheWholeRecord) {
    // Sealed anew: the seal is sound, the value is not.
    const std::vector<std::pair<int, std::string>> bad = {
        {10, "2024-2-30 8:05:07"},  // no such day
        {10, "2024-03-09 08:05:07"},
        {11, "yesterday"},
        {11, ""},
        {12, "12a"},
        {12, "2147483648"},
        {13, "-2147483649"},
        {14, " 13000"},
        {17, ""},
        {18, "1.5"},
        {19, "0x10"},
        {20, "1,5"},
        {20, "inf"},
        {21, "nan"},
        {22, "3 "},
        {31, "-"},
        {79, "99999999999"},
        // Counters beyond any game's reach, which a move would overflow.
        {17, "2147483647"},
        {18, "2147483647"},
        {19, "1000000001"},
        {22, "2147483647"},
        {40, "2147483647"},
        {18, "-1"},
        {49, "-3"},
        // So close to the largest double that its 15 digits would round past it, and the
        // game's next save of it could not be read back.
        {20, "1.7976931348623157E308"},
        {21, "-1.79769313486232E+308"},
        {81, ""},  // a play cell must hold a tile
        {87, "8"},
        {100, "-1"},
        {128, "a"},
        {128, "3x"},
    };
    for (const auto& [field, value] : bad) {
        SCOPED_TRACE("field " + std::to_string(field) + " = \"" + value + "\"");
        const std::string text = resealed(kGoldenSave, field, value);
        RecordPieces pieces;
        ASSERT_EQ(splitRecord(text, pieces), kRecordFieldCount);
        EXPECT_EQ(parseRecord(pieces).badField, field);
        EXPECT_TRUE(readRefused(text));
    }
    // Texts are kept as they stand, the frame cell too.
    for (const auto& [field, value] : std::vector<std::pair<int, std::string>>{{20, "1E+308"},
                                                                               {8, "abc"},
                                                                               {9, ""},
                                                                               {15, "过关"},
                                                                               {16, ""},
                                                                               {129, "x"},
                                                                               {81, "2123"}}) {
        SCOPED_TRACE("field " + std::to_string(field) + " = \"" + value + "\"");
        EXPECT_FALSE(readRefused(resealed(kGoldenSave, field, value)));
        EXPECT_EQ(other.recordParts[field], value);
    }
    EXPECT_EQ(other.board[2][1], "2123");
    EXPECT_EQ(other.gameMode, "sport");
}

TEST_F(RecordCodecTest, ATextOfFewerThan201FieldsIsRefused) {
    const std::string golden = kGoldenSave;
    for (const std::string& text : {std::string(), std::string("QOB|save"),
                                    golden.substr(0, golden.rfind('|')), std::string(199, '|')}) {
        SCOPED_TRACE(text);
        EXPECT_TRUE(readRefused(text));
    }
    // Exactly 201 empty fields is long enough, and then the seal refuses it.
    RecordPieces pieces;
    EXPECT_EQ(splitRecord(std::string(200, '|'), pieces), 201);
    EXPECT_EQ(splitRecord(std::string(199, '|'), pieces), 200);
}

TEST_F(RecordCodecTest, OtherOperationsDoNothing) {
    game.recordText = "keep";
    const std::string before = describe(game);
    for (const char* op : {"", "savestring", "READSTRING", "RecString ", "Read"}) {
        DoOnGame(game, window, op);
    }
    EXPECT_EQ(game.recordText, "keep");
    EXPECT_EQ(describe(game), before);
    EXPECT_TRUE(window.log.empty());
}

TEST(RecordCheckTest, JudgesATextAgainstAKind) {
    EXPECT_EQ(checkRecord(kGoldenSave, kKindSave), RecordCheck::Sound);
    EXPECT_EQ(checkRecord(kGoldenRec, kKindRec), RecordCheck::Sound);
    EXPECT_EQ(checkRecord(kGoldenRec, kKindSave), RecordCheck::Broken);
    EXPECT_EQ(checkRecord(kGoldenSave, kKindRec), RecordCheck::Broken);
    EXPECT_EQ(checkRecord("QOB|save|", kKindSave), RecordCheck::Short);
    EXPECT_EQ(checkRecord(resealed(kGoldenSave, 12, "x"), kKindSave), RecordCheck::Broken);

    struct Case {
        std::string text;
        RecordCheck check;
        const char* kind;
    };
    for (const Case& c : {
             Case{kGoldenSave, RecordCheck::Sound, "save"},
             Case{kGoldenRec, RecordCheck::Sound, "rec"},
             Case{withField(kGoldenRec, 1, "save"), RecordCheck::Broken, "save"},
             Case{resealed(kGoldenSave, 1, "note"), RecordCheck::Broken, "note"},
             Case{resealed(kGoldenRec, 20, "x"), RecordCheck::Broken, "rec"},
             Case{std::string(5, '|'), RecordCheck::Short, ""},
         }) {
        SCOPED_TRACE(c.text);
        const RecordExamination e = examineRecord(c.text);
        EXPECT_EQ(e.check, c.check);
        EXPECT_EQ(e.kind, c.kind);
    }
}

}  // namespace
}  // namespace qob::test
