#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "FakeWindow.h"
#include "GoldenRecords.h"
#include "RecordCodec.h"
#include "RecordExtras.h"
#include "RecordFileIo.h"
#include "RecordFiles.h"
#include "StoreTestSupport.h"

namespace qob::test {
namespace {

TEST(RecordExtras, ValuesComeBackAsTheyWereAndNeverSplitTheRecord) {
    for (const std::string& value :
         {std::string(), std::string("小明"), std::string("a|b"), std::string("100% <b>\"'"),
          std::string("line\r\nend\t\x7F"), std::string("%7C"), std::string(1, '\0')}) {
        SCOPED_TRACE(value);
        const std::string text =
            std::string(kGoldenRec) + formatExtras({{"name", value}, {"log", "x"}});
        // Two pieces after field 200, whatever the value holds.
        EXPECT_EQ(std::count(text.begin(), text.end(), '|'), 202);
        EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos);
        EXPECT_EQ(findExtra(text, "name"), value);
        EXPECT_EQ(findExtra(text, "log"), "x");
        // The 201 fields read as before.
        EXPECT_EQ(checkRecord(text, kKindRec), RecordCheck::Sound);
    }
}

TEST(RecordExtras, OnlyPiecesAfterField200CountAndTheFirstOfAKeyWins) {
    // A field that happens to read "name=..." is no piece.
    EXPECT_EQ(findExtra(withField(kGoldenRec, 9, "name=x"), "name"), std::nullopt);
    EXPECT_EQ(findExtra(kGoldenRec, "name"), std::nullopt);
    EXPECT_EQ(findExtra("QOB|rec|name=x", "name"), std::nullopt);
    const std::string two = std::string(kGoldenRec) + "|nam=a|names=b|name=first|name=second|";
    EXPECT_EQ(findExtra(two, "name"), "first");
    // A value that is not escaped as a writer escapes it is no value.
    for (const char* bad : {"|name=%", "|name=%4", "|name=%zz", "|name=%4a"})
        EXPECT_EQ(findExtra(std::string(kGoldenRec) + bad, "name"), std::nullopt) << bad;
}

class SavedNameTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window.folder = scratch / "prog";
        std::filesystem::create_directories(window.folder);
    }
    // The record file written when the player types `typed` in the name box.
    std::string savedWith(const std::optional<std::string>& typed) {
        const std::string path = scratch / ("r" + std::to_string(++saves) + ".rec");
        window.inputs.push_back(typed);
        window.files.push_back(path);
        files.RecFileSave();
        return readRecordFile(path).text;
    }

    ScratchFolder scratch;
    FakeWindow window;
    GameState game = goldenGame();
    RecordFiles files{game, window, "http://qob.test"};
    int saves = 0;
};

TEST_F(SavedNameTest, TheRecordCarriesTheNameTypedInTheSaveBox) {
    const std::string text = savedWith("  李明|<b>\n  ");
    EXPECT_EQ(findExtra(text, kNameKey), "李明|<b>\n");
    EXPECT_EQ(checkRecord(text, kKindRec), RecordCheck::Sound);
    EXPECT_EQ(text, game.recordText);
    // No name, no piece: only the 201 fields.
    for (const std::optional<std::string>& none :
         {std::optional<std::string>(), std::optional<std::string>("   ")}) {
        const std::string plain = savedWith(none);
        EXPECT_EQ(std::count(plain.begin(), plain.end(), '|'), 200);
    }
    // A long name is cut to its first characters, never inside one.
    std::string longName;
    for (int i = 0; i < 40; ++i)
        longName += "名";
    EXPECT_EQ(findExtra(savedWith(longName), kNameKey), longName.substr(0, 3 * kNameLimit));
}

}  // namespace
}  // namespace qob::test
