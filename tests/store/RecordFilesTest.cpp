#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "CodePage936.h"
#include "FakeWindow.h"
#include "GoldenRecords.h"
#include "RecordCodec.h"
#include "RecordExtras.h"
#include "RecordFileIo.h"
#include "RecordFiles.h"
#include "StoreTestSupport.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <future>
#include <thread>
#endif

namespace qob::test {
namespace {

namespace fs = std::filesystem;

const std::string kSite = "http://qob.test";
const std::string kRefusalLog = std::string("messageBox ") + kRecordRefusal + " [] ok none";
const std::string kStamp = "2005-6-1 100431";  // FakeWindow's clock without its colons

enum class Proc { Rec, Prog };

class RecordFilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window.folder = scratch / "prog";
        fs::create_directories(window.folder);
    }

    void save(Proc proc) { proc == Proc::Rec ? files.RecFileSave() : files.ProgFileSave(); }

    std::string saveFolder() const { return window.folder + "/save"; }

    // The calls that show the flow of a procedure, in order.
    std::vector<std::string> flow() const {
        std::vector<std::string> out;
        for (const auto& line : window.log)
            for (const char* prefix : {"timer1 ", "tiles ", "inputBox", "showSave", "showOpen",
                                       "messageBox", "showBoard", "navigate", "focusBrowser"})
                if (line.rfind(prefix, 0) == 0) out.push_back(line);
        return out;
    }

    std::vector<std::string> namesIn(const fs::path& folder) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    ScratchFolder scratch;
    FakeWindow window;
    GameState game = goldenGame();
    RecordFiles files{game, window, kSite};
};

TEST_F(RecordFilesTest, SavesStopTheClockExceptInGameAndRestartItOnlyInSport) {
    struct Case {
        Proc proc;
        const char* mode;
        bool clockBefore;
        bool chooseFile;
        std::vector<std::string> timerCalls;
        bool clockAfter;
    };
    const std::vector<Case> cases = {
        {Proc::Rec, "game", true, false, {}, true},
        {Proc::Rec, "game", false, true, {}, false},
        {Proc::Rec, "sport", false, false, {"timer1 off", "timer1 on"}, true},
        {Proc::Rec, "sport", true, true, {"timer1 off", "timer1 on"}, true},
        {Proc::Rec, "lim", true, false, {"timer1 off"}, false},
        {Proc::Prog, "game", true, true, {}, true},
        {Proc::Prog, "sport", false, true, {"timer1 off", "timer1 on"}, true},
        {Proc::Prog, "lim", true, true, {"timer1 off"}, false},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.proc == Proc::Rec ? "rec " : "sav ") + c.mode +
                     (c.clockBefore ? " running" : " stopped") +
                     (c.chooseFile ? ", file chosen" : ", cancelled"));
        game.gameMode = c.mode;
        window.timer1 = c.clockBefore;
        window.log.clear();
        const std::string chosen = scratch / ("clock" + std::to_string(++n));
        if (c.chooseFile) window.files.push_back(chosen);
        save(c.proc);

        EXPECT_EQ(window.calls("timer1"), c.timerCalls);
        EXPECT_EQ(window.timer1, c.clockAfter);
        EXPECT_EQ(fs::exists(chosen), c.chooseFile);
        // The clock is stopped before anything is shown and restarted after the
        // dialog; the tiles are hidden for exactly as long as the boxes are open.
        const std::vector<std::string> f = flow();
        ASSERT_GE(f.size(), 4u);
        const std::size_t first = c.timerCalls.empty() ? 0 : 1;
        EXPECT_EQ(f[first], "tiles hidden");
        EXPECT_EQ(f[first + 1].rfind("inputBox", 0), 0u);
        EXPECT_EQ(f[first + 2].rfind("showSave", 0), 0u);
        EXPECT_EQ(f.back(), "tiles shown");
        if (c.timerCalls.size() == 2) {
            EXPECT_EQ(f[f.size() - 2], "timer1 on");
        }
    }
}

TEST_F(RecordFilesTest, ProposesANameInTheSaveFolderEvenWhenTheNameBoxIsCancelled) {
    struct Case {
        Proc proc;
        std::optional<std::string> answer;
        std::string expectedName;
    };
    const std::vector<Case> cases = {
        {Proc::Rec, std::nullopt, "QOB sport " + kStamp + ".rec"},
        {Proc::Rec, "Tom", "Tom QOB sport " + kStamp + ".rec"},
        {Proc::Prog, "李明", "李明 QOB sport " + kStamp + ".sav"},
        {Proc::Prog, std::nullopt, "QOB sport " + kStamp + ".sav"},
        // An empty name or one of blanks proposes no blank before "QOB", and the name
        // goes in as the record carries it: without blanks around it, at most 32 characters.
        {Proc::Rec, "", "QOB sport " + kStamp + ".rec"},
        {Proc::Prog, "   ", "QOB sport " + kStamp + ".sav"},
        {Proc::Rec, " Tom ", "Tom QOB sport " + kStamp + ".rec"},
        {Proc::Rec, std::string(40, 'x'), std::string(32, 'x') + " QOB sport " + kStamp + ".rec"},
        // The player's name cannot lead the proposal out of the save folder.
        {Proc::Rec, "../../etc/passwd", ".._.._etc_passwd QOB sport " + kStamp + ".rec"},
        {Proc::Prog, "a\\b\tc\nd", "a_b_c_d QOB sport " + kStamp + ".sav"},
        {Proc::Rec, "/", "_ QOB sport " + kStamp + ".rec"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expectedName);
        const bool rec = c.proc == Proc::Rec;
        window.log.clear();
        window.inputs.push_back(c.answer);
        save(c.proc);  // the dialog is cancelled

        EXPECT_EQ(window.calls("inputBox"),
                  std::vector<std::string>{
                      std::string("inputBox ") +
                      (rec ? "保存成绩,输入你的称呼" : "保存进度,输入你的称呼") + " [] []"});
        const CommonDialog& d = window.lastDialog;
        EXPECT_EQ(d.fileName, saveFolder() + "/" + c.expectedName);
        EXPECT_EQ(fs::path(d.fileName).parent_path(), fs::path(saveFolder()));
        EXPECT_EQ(d.flags, kFlagOverwritePrompt);
        EXPECT_TRUE(d.cancelError);
        EXPECT_EQ(d.defaultExt, rec ? "rec" : "sav");
        EXPECT_EQ(d.filter, rec ? "(*.rec)进度文件|*.rec|(*.*)所有文件|*.*"
                                : "(*.sav)进度文件|*.sav|(*.*)所有文件|*.*");
        EXPECT_EQ(d.initDir, ".\\save");  // as the dialog was created
        EXPECT_EQ(d.dialogTitle, "QOB");
    }
    // The folder it proposes exists, and nothing was written into it.
    EXPECT_TRUE(fs::is_directory(saveFolder()));
    EXPECT_TRUE(fs::is_empty(saveFolder()));
    EXPECT_TRUE(game.recordText.empty());
}

TEST_F(RecordFilesTest, TheModeInTheProposalCannotLeaveTheSaveFolderEither) {
    game.gameMode = "../x";  // as a doctored progress file may leave it
    files.RecFileSave();
    EXPECT_EQ(window.lastDialog.fileName, saveFolder() + "/QOB .._x " + kStamp + ".rec");
}

TEST_F(RecordFilesTest, TheChosenFileHoldsTheRecordAlone) {
    for (const Proc proc : {Proc::Rec, Proc::Prog}) {
        const bool rec = proc == Proc::Rec;
        SCOPED_TRACE(rec ? "rec" : "sav");
        const fs::path target = scratch.path() / (rec ? "a.rec" : "a.sav");
        writeBytes(target, std::string(5000, 'x'));  // longer than any record
        game.saveTime = DateTime{};
        window.files.push_back(target.string());
        save(proc);

        const std::string bytes = fileBytes(target);
        EXPECT_EQ(bytes, game.recordText);
        EXPECT_EQ(bytes.rfind(rec ? "QOB|rec|" : "QOB|save|", 0), 0u);
        EXPECT_EQ(bytes.back(), '0');  // field 200, no line end
        EXPECT_EQ(checkRecord(bytes, rec ? kKindRec : kKindSave), RecordCheck::Sound);
        EXPECT_EQ(game.saveTime, window.clock);
        EXPECT_EQ(window.count("messageBox"), 0);
    }
    // Nothing else is left beside them.
    EXPECT_EQ(namesIn(scratch.path()), (std::vector<std::string>{"a.rec", "a.sav", "prog"}));
}

TEST_F(RecordFilesTest, CancelOrAnEmptyNameWritesNothing) {
    for (const std::optional<std::string>& answer :
         {std::optional<std::string>(), std::optional<std::string>("")}) {
        SCOPED_TRACE(answer ? "empty name" : "cancelled");
        game.recordText = "before";
        window.files.push_back(answer);
        files.RecFileSave();
        EXPECT_EQ(game.recordText, "before");
        EXPECT_TRUE(game.saveTime.isNull());
        EXPECT_EQ(window.count("messageBox"), 0);
    }
    EXPECT_EQ(namesIn(scratch.path()), std::vector<std::string>{"prog"});
    EXPECT_TRUE(fs::is_empty(saveFolder()));
}

// A write that cannot be done tells the player and leaves whatever was there.
class FailedWriteTest : public RecordFilesTest {
  protected:
    void expectRefusedWrite(Proc proc, const fs::path& target) {
        window.log.clear();
        game.gameMode = "sport";
        window.files.push_back(target.string());
        save(proc);
        const char* text =
            proc == Proc::Rec ? "成绩文件无法写入，没有保存：" : "进度文件无法写入，没有保存：";
        EXPECT_EQ(window.calls("messageBox"),
                  std::vector<std::string>{"messageBox " + std::string(text) + target.string() +
                                           " [] ok critical"});
        // Told while the clock is still stopped; the clock rule still applies.
        const std::vector<std::string> f = flow();
        ASSERT_GE(f.size(), 3u);
        EXPECT_EQ(f[f.size() - 3].rfind("messageBox", 0), 0u);
        EXPECT_EQ(f[f.size() - 2], "timer1 on");
        // The record was built all the same.
        EXPECT_EQ(checkRecord(game.recordText, proc == Proc::Rec ? kKindRec : kKindSave),
                  RecordCheck::Sound);
    }
};

#ifndef _WIN32
// Makes every write past `bytes` fail, as a full disk would. SIGXFSZ keeps its
// default, which ends the process, so that the writer must see to it itself.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
        oldHandler_ = std::signal(SIGXFSZ, SIG_DFL);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }

  private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

TEST_F(FailedWriteTest, AWriteThatBreaksOffLeavesTheOldFileWhole) {
    for (const Proc proc : {Proc::Rec, Proc::Prog}) {
        const fs::path target = scratch.path() / (proc == Proc::Rec ? "old.rec" : "old.sav");
        writeBytes(target, "the old record, kept");
        {
            const FileSizeLimit limit(64);  // the record is some 600 bytes
            expectRefusedWrite(proc, target);
        }
        EXPECT_EQ(fileBytes(target), "the old record, kept");
    }
    {
        const FileSizeLimit limit(64);
        expectRefusedWrite(Proc::Rec, scratch.path() / "new.rec");
    }
    // No half-written file is left behind, and no new one.
    EXPECT_EQ(namesIn(scratch.path()), (std::vector<std::string>{"old.rec", "old.sav", "prog"}));
}

TEST_F(RecordFilesTest, ASaveKeepsThePermissionsOfTheFileItReplaces) {
    for (const fs::perms mode : {fs::perms(0600), fs::perms(0640), fs::perms(0444)}) {
        SCOPED_TRACE(static_cast<int>(mode));
        const fs::path target = scratch.path() / "kept.rec";
        writeBytes(target, "old");
        fs::permissions(target, mode);
        window.files.push_back(target.string());
        files.RecFileSave();
        EXPECT_EQ(fileBytes(target), game.recordText);
        EXPECT_EQ(fs::status(target).permissions(), mode);
        fs::permissions(target, fs::perms(0600));
        fs::remove(target);
    }
    EXPECT_EQ(window.count("messageBox"), 0);
}
#endif

TEST_F(FailedWriteTest, AFolderInPlaceOfTheFileStaysAsItWas) {
    const fs::path target = scratch.path() / "taken.rec";
    fs::create_directories(target);
    writeBytes(target / "inside", "kept");
    expectRefusedWrite(Proc::Rec, target);
    EXPECT_EQ(fileBytes(target / "inside"), "kept");
    EXPECT_EQ(namesIn(scratch.path()), (std::vector<std::string>{"prog", "taken.rec"}));
}

TEST_F(FailedWriteTest, AFileInPlaceOfTheFolderIsNotTouched) {
    const fs::path plain = scratch.path() / "plain";
    writeBytes(plain, "kept");
    expectRefusedWrite(Proc::Prog, plain / "x.sav");
    EXPECT_EQ(fileBytes(plain), "kept");
}

TEST_F(RecordFilesTest, AProgressFileReadBackRestoresTheGame) {
    game.gameID = "中文";  // the file holds it in code page 936
    const std::string path = scratch / "g.sav";
    window.files.push_back(path);
    files.ProgFileSave();
    EXPECT_NE(fileBytes(path).find("|\xD6\xD0\xCE\xC4|"), std::string::npos);
    GameState saved = game;

    game = otherGame();
    game.board[1][1] = "4";
    window.log.clear();
    window.timer1 = true;
    files.dialog.initDir = "/somewhere";
    window.files.push_back(path);
    files.ProgFileRead();

    saved.board[1][1] = "4";
    saved.sizeTally[0] = game.sizeTally[0];
    saved.sizeTally[50] = game.sizeTally[50];
    saved.moveMessage = game.moveMessage;
    EXPECT_EQ(describe(game), describe(saved));
    EXPECT_EQ(flow(), (std::vector<std::string>{"tiles hidden", "showOpen " + path, "showBoard",
                                                "tiles shown"}));
    EXPECT_TRUE(window.timer1);  // a "sport" record leaves the clock alone

    // The open dialog keeps the name and folder its last use left.
    const CommonDialog& d = window.lastDialog;
    EXPECT_EQ(d.flags, kFlagFileMustExist);
    EXPECT_TRUE(d.cancelError);
    EXPECT_EQ(d.filter, "(*.sav)进度文件|*.sav|(*.*)所有文件|*.*");
    EXPECT_EQ(d.fileName, path);
    EXPECT_EQ(d.initDir, "/somewhere");
}

TEST_F(RecordFilesTest, AFileThatIsNoSoundProgressRecordRestoresNothing) {
    const std::string golden = kGoldenSave;
    struct Case {
        const char* what;
        std::function<void(const fs::path&)> make;
        bool keepsRecordText;  // the file could not be taken in at all
    };
    const std::vector<Case> cases = {
        {"empty file", [](const fs::path& p) { writeBytes(p, ""); }, true},
        {"missing file", [](const fs::path&) {}, true},
        {"folder", [](const fs::path& p) { fs::create_directories(p); }, true},
        // Sound as far as the seal goes, but no record is a mebibyte long.
        {"huge file",
         [&](const fs::path& p) {
             writeBytes(p, golden + "|" + std::string(kRecordFileLimit, '0'));
         },
         true},
        {"score record", [](const fs::path& p) { writeBytes(p, kGoldenRec); }, false},
        {"line end", [&](const fs::path& p) { writeBytes(p, golden + "\r\n"); }, false},
        {"NUL byte",
         [&](const fs::path& p) { writeBytes(p, withField(golden, 9, std::string("0\0", 2))); },
         false},
        {"200 000 bars", [](const fs::path& p) { writeBytes(p, std::string(200000, '|')); }, false},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path path = scratch.path() / ("in" + std::to_string(++n) + ".sav");
        c.make(path);
        // What the game held before would restore the golden game if read again.
        game = otherGame();
        game.recordText = golden;
        const std::string before = describe(game);
        const std::string shown = "showOpen " + files.dialog.fileName;
        window.log.clear();
        window.files.push_back(path.string());
        files.ProgFileRead();

        EXPECT_EQ(describe(game), before);
        EXPECT_EQ(flow(), (std::vector<std::string>{"tiles hidden", shown, kRefusalLog, "showBoard",
                                                    "tiles shown"}));
        EXPECT_EQ(game.recordText, c.keepsRecordText ? golden : fromCodePage936(fileBytes(path)));
    }
}

TEST_F(RecordFilesTest, CancellingTheOpenDialogChangesNothing) {
    const std::string before = describe(game);
    files.ProgFileRead();
    files.RecFileUpload();
    EXPECT_EQ(describe(game), before);
    EXPECT_EQ(flow(), (std::vector<std::string>{"tiles hidden", "showOpen ", "tiles shown",
                                                "tiles hidden", "showOpen ", "tiles shown"}));
}

std::string percentDecoded(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

TEST_F(RecordFilesTest, TheUploadAddressCarriesTheFileByteForByte) {
    const std::string edited = toCodePage936(withField(
        withField(withField(kGoldenRec, 20, "1E+20"), 15, "过关"), 9, "a%2B~ b:c/d?e&f=g#h"));
    const std::string prefix = kSite + "/qob/list/?act=viewform&reccode=";
    game.onlineFlag = true;
    for (const std::string& bytes : {std::string(kGoldenRec), edited}) {
        SCOPED_TRACE(bytes);
        const fs::path path = scratch.path() / "up.rec";
        writeBytes(path, bytes);
        const std::string before = describe(game);
        const std::string shown = "showOpen " + files.dialog.fileName;
        window.log.clear();
        window.files.push_back(path.string());
        files.RecFileUpload();

        const std::vector<std::string> nav = window.calls("navigate ");
        ASSERT_EQ(nav.size(), 1u);
        const std::string address = nav[0].substr(9);
        ASSERT_EQ(address.rfind(prefix, 0), 0u);
        const std::string query = address.substr(prefix.size());
        EXPECT_EQ(query.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                          "0123456789-._~%"),
                  std::string::npos);
        EXPECT_EQ(percentDecoded(query), bytes);
        EXPECT_EQ(flow(), (std::vector<std::string>{"tiles hidden", shown, nav[0], "focusBrowser",
                                                    "tiles shown"}));
        EXPECT_EQ(game.recordText, fromCodePage936(bytes));
        game.recordText.clear();
        EXPECT_EQ(describe(game), before);
    }
    const CommonDialog& d = window.lastDialog;
    EXPECT_EQ(d.initDir, saveFolder());
    EXPECT_EQ(d.flags, kFlagFileMustExist);
    EXPECT_TRUE(d.cancelError);
    EXPECT_EQ(d.filter, "(*.rec)进度文件|*.rec|(*.*)所有文件|*.*");
}

TEST_F(RecordFilesTest, OfflineTheUploadOnlyTellsThePlayer) {
    const fs::path path = scratch.path() / "up.rec";
    writeBytes(path, kGoldenRec);
    window.files.push_back(path.string());
    files.RecFileUpload();
    EXPECT_EQ(flow(),
              (std::vector<std::string>{
                  "tiles hidden", "showOpen ",
                  std::string("messageBox ") + kOfflineMessage + " [] ok none", "tiles shown"}));
    EXPECT_EQ(game.recordText, kGoldenRec);
}

TEST_F(RecordFilesTest, OnlyAFileThatLooksLikeAScoreRecordIsUploaded) {
    const std::string rec = kGoldenRec;
    const std::string notARecord =
        std::string("messageBox ") +
        "这个文件不是成绩记录，没有发布。只能发布“保留成绩”保存的成绩文件（.rec）。" +
        " [] ok none";
    // A score record with pieces after field 200 that fill it to `size` bytes.
    const auto recordOfSize = [&](std::size_t size) {
        return rec + "|x=" + std::string(size - rec.size() - 3, 'y');
    };
    struct Case {
        const char* what;
        std::string content;
        std::string message;  // empty when the record goes out
    };
    const std::vector<Case> cases = {
        {"empty file", "", kRefusalLog},
        {"progress record", kGoldenSave, notARecord},
        {"200 fields", rec.substr(0, rec.rfind('|')), notARecord},
        {"not QOB", "QOX" + rec.substr(3), notARecord},
        {"kind in capitals", withField(rec, 1, "REC"), notARecord},
        {"bars only", std::string(300, '|'), notARecord},
        {"larger than any score record", recordOfSize(kScoreRecordLimit + 1), notARecord},
        {"larger than any record file", recordOfSize(kRecordFileLimit + 1), notARecord},
        {"broken seal", withField(rec, 12, "99999"), ""},
        {"as large as a score record can be", recordOfSize(kScoreRecordLimit), ""},
    };
    game.onlineFlag = true;
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path path = scratch.path() / ("up" + std::to_string(++n) + ".rec");
        writeBytes(path, c.content);
        game.recordText = "held before";  // an earlier record must not be sent in its place
        const std::string shown = "showOpen " + files.dialog.fileName;
        window.log.clear();
        window.files.push_back(path.string());
        files.RecFileUpload();
        if (c.message.empty()) {
            ASSERT_EQ(window.count("navigate"), 1);
            EXPECT_EQ(game.recordText, c.content);
            continue;
        }
        EXPECT_EQ(flow(),
                  (std::vector<std::string>{"tiles hidden", shown, c.message, "tiles shown"}));
        EXPECT_EQ(game.recordText, "held before");
    }
}

#ifndef _WIN32
TEST_F(RecordFilesTest, APipeOrADeviceChosenInTheDialogIsRefusedWithoutWaiting) {
    const fs::path pipe = scratch.path() / "pipe.rec";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    game.onlineFlag = true;
    game.recordText = "held before";
    for (const char* chosen : {pipe.c_str(), "/dev/zero", pipe.c_str(), "/dev/zero"})
        window.files.push_back(chosen);

    std::promise<void> finished;
    std::future<void> done = finished.get_future();
    std::thread reader([&] {
        files.RecFileUpload();
        files.RecFileUpload();
        files.ProgFileRead();
        files.ProgFileRead();
        finished.set_value();
    });
    const bool inTime = done.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    // A writer that comes and goes releases a reader stuck in open or read.
    for (int i = 0; !inTime && i < 100 &&
                    done.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready;
         ++i) {
        const int fd = open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) close(fd);
    }
    reader.join();
    ASSERT_TRUE(inTime) << "reading a pipe waited for a writer";
    EXPECT_EQ(window.calls("messageBox"), std::vector<std::string>(4, kRefusalLog));
    EXPECT_EQ(window.count("navigate"), 0);
    EXPECT_EQ(game.recordText, "held before");
}
#endif

}  // namespace
}  // namespace qob::test
