#include <gtest/gtest.h>

#include "BoardText.h"

namespace qob {
namespace {

TEST(StatusLine, ReadsWithItsExactSpacing) {
    GameState s;
    s.totalScore = 7420, s.moveScore = 5000, s.bonusScore = 2420, s.levelNo = 2, s.roundNo = 31;
    s.tilesCleared = 118, s.gameMode = "sport";
    EXPECT_EQ(statusLine(s), "总分:7420 分:5000  奖:2420  关:2 轮:31(118)  类型:sport");
    s = GameState{};
    s.gameMode = "game";
    s.moveScore = -3;
    EXPECT_EQ(statusLine(s), "总分:0 分:-3  奖:0  关:0 轮:0(0)  类型:game");
}

TEST(StatusLine, FrameCaptionCarriesTheStartTime) {
    GameState s;
    s.startTime = DateTime{2005, 6, 1, 10, 4, 31};
    EXPECT_EQ(gameFrameCaption(s), "游戏 [开始:2005-6-1 10:04:31]");
}

TEST(TileLook, NewTilesAreFramedOnceAndTrimmed) {
    const struct {
        const char* before;
        char picture;
        bool framed;
        const char* after;
    } cases[] = {
        {"35", '3', true, "3"}, {"3", '3', false, "3"},   {"7180", '7', true, "7"},
        {"-1", '0', true, "-"}, {"", '0', false, ""},     {"9", '9', false, "9"},
        {"0", '0', false, "0"}, {"中a", '0', true, "中"},
    };
    for (const auto& c : cases) {
        std::string cell = c.before;
        const TileLook look = takeTileLook(cell);
        EXPECT_EQ(look.picture, c.picture) << c.before;
        EXPECT_EQ(look.framed, c.framed) << c.before;
        EXPECT_EQ(cell, c.after) << c.before;
    }
}

}  // namespace
}  // namespace qob
