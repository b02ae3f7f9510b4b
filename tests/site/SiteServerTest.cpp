// qob-site as a program, started on 127.0.0.1 with a database of its own (SQLite, or
// the tests' PostgreSQL, see TestDatabase): records saved by the game's own record procedure
// published the way the game sends them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "BoardGroups.h"
#include "Game.h"
#include "GameReplay.h"
#include "PlayedGame.h"
#include "RecordCodec.h"
#include "RecordEdits.h"
#include "RecordExtras.h"
#include "RecordFileIo.h"
#include "RecordFiles.h"
#include "RecordedGame.h"
#include "ScoreStorage.h"
#include "SitePing.h"
#include "SiteProcess.h"

namespace qob::test {
namespace {

// The games are played on 2026-3-4; the site's clock stands at noon of that day (UTC).
constexpr DateTime kPlayed{2026, 3, 4, 10, 0, 0};
const std::vector<std::string> kClock = {"--clock", "2026-3-4 12:00:00"};

class SiteServer : public ::testing::Test {
  protected:
    void SetUp() override { start(kClock); }

    void start(std::vector<std::string> arguments) {
        site.reset();
        site = std::make_unique<SiteProcess>(database.address(), arguments);
        ASSERT_TRUE(site->isRunning()) << site->log();
    }

    // Publishes a record the way the game's panel sends it.
    HttpReply publish(const std::string& record,
                      const std::vector<std::pair<std::string, std::string>>& headers = {}) {
        return httpRequest(site->port(), targetOf(uploadAddress(site->baseUrl(), record)), headers);
    }
    HttpReply get(const std::string& target) { return httpRequest(site->port(), target); }

    std::int64_t stored() { return site::openScoreStorage(database.address())->storedCount(); }

    static std::string played(const std::string& mode, int moves, const std::string& name,
                              std::uint64_t seed, DateTime start = kPlayed) {
        PlayedGame g(mode, start, seed);
        g.play(moves);
        return g.save(name);
    }

    TestDatabase database;
    std::unique_ptr<SiteProcess> site;
};

// The text between two marks of a page, or the empty text.
std::string between(const std::string& page, const std::string& from, const std::string& to) {
    const std::size_t start = page.find(from);
    if (start == std::string::npos) return {};
    const std::size_t end = page.find(to, start + from.size());
    return page.substr(start + from.size(),
                       end == std::string::npos ? std::string::npos : end - start - from.size());
}

TEST_F(SiteServer, APublishedRecordIsInTheRankingWithItsNameAndRank) {
    const std::string low = played(kModeLim, 20, "小明", 1);
    const std::string high = played(kModeLim, 60, "小红", 2);
    const std::string nameless = played(kModeLim, 5, "", 3);

    HttpReply reply = publish(low);
    ASSERT_EQ(reply.status, 200);
    EXPECT_EQ(reply.header("x-qob-publication"), "accepted");
    EXPECT_NE(reply.body.find("成绩已发布"), std::string::npos);
    EXPECT_NE(reply.body.find("限次模式"), std::string::npos);
    EXPECT_NE(reply.body.find("第 <b>1</b> 名"), std::string::npos);
    EXPECT_NE(reply.body.find("href=\"../sslist.htm?mode=lim"), std::string::npos);

    reply = publish(high);
    EXPECT_EQ(reply.header("x-qob-publication"), "accepted");
    EXPECT_NE(reply.body.find("小红"), std::string::npos);
    EXPECT_NE(reply.body.find("第 <b>1</b> 名"), std::string::npos) << reply.body;
    EXPECT_EQ(publish(nameless).header("x-qob-publication"), "accepted");

    reply = get("/qob/sslist.htm?mode=lim");
    ASSERT_EQ(reply.status, 200);
    const std::string table = between(reply.body, "<p class=\"h2\">限次模式</p>", "</table>");
    const std::size_t first = table.find("<td align=\"center\">1</td><td>小红");
    const std::size_t second = table.find("<td align=\"center\">2</td><td>小明");
    const std::size_t third = table.find("<td align=\"center\">3</td><td>无名氏");
    EXPECT_NE(first, std::string::npos) << table;
    EXPECT_NE(second, std::string::npos) << table;
    EXPECT_NE(third, std::string::npos) << table;
    EXPECT_LT(first, second);
    EXPECT_NE(table.find("2026-03-04"), std::string::npos);
    // One mode asked for, one table shown.
    EXPECT_EQ(reply.body.find("<p class=\"h2\">过关模式</p>"), std::string::npos);
    EXPECT_EQ(stored(), 3);
}

TEST_F(SiteServer, TheSameRecordPublishedTwiceIsStoredOnce) {
    const std::string record = played(kModeGame, 40, "小明", 4);
    EXPECT_EQ(publish(record).header("x-qob-publication"), "accepted");
    const HttpReply again = publish(record);
    EXPECT_EQ(again.header("x-qob-publication"), "already-published");
    EXPECT_NE(again.body.find("已经发布过"), std::string::npos);
    EXPECT_NE(again.body.find("第 <b>1</b> 名"), std::string::npos);
    // The name is no part of the seal: the same game under another name is the same record.
    const std::string renamed =
        record.substr(0, record.find("|name=")) + formatExtras({{kNameKey, "别人"}});
    EXPECT_EQ(publish(renamed).header("x-qob-publication"), "already-published");
    EXPECT_EQ(stored(), 1);
}

TEST_F(SiteServer, RefusedRecordsAreToldWhyAndNothingIsStored) {
    const std::string record = played(kModeGame, 40, "小明", 5);
    std::string tampered = record;
    tampered.replace(tampered.find("|3.1.beta|"), 10, "|3.1.betb|");
    PlayedGame progress(kModeGame, kPlayed, 6);
    DoOnGame(progress.game.state, progress.window, "SaveString");
    const std::string outOfRange = edited(record, {{8, "1000000"}});
    // A sealed record of a game with more points than its moves can make.
    PlayedGame impossible(kModeGame, kPlayed, 7);
    impossible.play(10);
    impossible.game.state.moveScore += 1000000;
    impossible.game.state.totalScore += 1000000;
    const std::string forged = impossible.save("造假");
    const std::string padded = record + "|pad=" + std::string(kScoreRecordLimit, 'x');

    struct Case {
        const char* what;
        std::string record;
        const char* reason;
    };
    const Case cases[] = {
        {"tampered", tampered, "校验不符"},
        {"a progress record", progress.game.state.recordText, "进度记录"},
        {"cut short", record.substr(0, 300), "记录不完整"},
        {"gameID out of range", outOfRange, "游戏编号超出范围"},
        {"impossible arithmetic", forged, "分（"},
        {"larger than a score record", padded, "记录太大"},
        {"empty", "", "没有收到成绩记录"},
    };
    for (const Case& c : cases) {
        const HttpReply reply = publish(c.record);
        EXPECT_EQ(reply.status, 200) << c.what;
        EXPECT_EQ(reply.header("x-qob-publication"), "refused") << c.what;
        EXPECT_NE(reply.body.find("成绩没有发布"), std::string::npos) << c.what;
        EXPECT_NE(reply.body.find(c.reason), std::string::npos) << c.what << ": " << reply.body;
    }
    EXPECT_EQ(stored(), 0);
}

TEST_F(SiteServer, ARequestBeyondTheLimitIsRefusedBeforeItIsReadWhole) {
    // The longest target a publication can need, a record of the largest size with every
    // byte written as %XX, reaches the checks whole; one byte more is refused for its size.
    std::string longest = targetOf(uploadAddress(site->baseUrl(), ""));
    for (std::size_t k = 0; k < kScoreRecordLimit; ++k)
        longest += "%41";
    HttpReply reply = get(longest);
    EXPECT_EQ(reply.status, 200);
    EXPECT_NE(reply.body.find("只有 1 个字段"), std::string::npos) << reply.body;
    reply = get(longest + "A");
    EXPECT_NE(reply.body.find("记录太大"), std::string::npos);

    // Far over it the server answers before the whole line has come.
    reply = get("/qob/list/?act=viewform&reccode=" + std::string(4 * 1024 * 1024, 'A'));
    EXPECT_EQ(reply.status, 414);
    EXPECT_EQ(stored(), 0);
    // And goes on serving.
    EXPECT_EQ(get("/qob/ping").status, 200);
}

TEST_F(SiteServer, ANameIsShownAsTextNeverAsMarkup) {
    const std::string name = "<script>alert(\"x\")</script>|'&\n";
    const std::string record = played(kModeSport, 10, name, 8);
    HttpReply reply = publish(record);
    ASSERT_EQ(reply.header("x-qob-publication"), "accepted") << reply.body;
    for (const std::string& page : {reply.body, get("/qob/sslist.htm").body}) {
        EXPECT_EQ(page.find("<script"), std::string::npos);
        EXPECT_NE(page.find("&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt;|&#39;&amp;"),
                  std::string::npos)
            << page;
    }
    EXPECT_NE(reply.header("content-security-policy").find("default-src 'none'"),
              std::string::npos);
}

TEST_F(SiteServer, TheRankingShowsTodayThisWeekOrAllTime) {
    // The site's clock: Wednesday 2026-3-4, noon.
    publish(played(kModeSport, 10, "今天", 9, DateTime{2026, 3, 4, 8, 0, 0}));
    publish(played(kModeSport, 10, "周一", 10, DateTime{2026, 3, 2, 8, 0, 0}));
    publish(played(kModeSport, 10, "上周", 11, DateTime{2026, 2, 27, 8, 0, 0}));
    ASSERT_EQ(stored(), 3);
    struct Case {
        const char* query;
        std::vector<const char*> shown;
        std::vector<const char*> hidden;
    };
    const Case cases[] = {
        {"?period=today", {"今天"}, {"周一", "上周"}},
        {"?mode=sport&period=week", {"今天", "周一"}, {"上周"}},
        {"?mode=sport&period=all", {"今天", "周一", "上周"}, {}},
        {"", {"今天", "周一", "上周"}, {}},
        {"?mode=game", {}, {"今天", "周一", "上周"}},
    };
    for (const Case& c : cases) {
        const std::string page = get(std::string("/qob/sslist.htm") + c.query).body;
        for (const char* name : c.shown)
            EXPECT_NE(page.find(std::string("<td>") + name), std::string::npos) << c.query;
        for (const char* name : c.hidden)
            EXPECT_EQ(page.find(std::string("<td>") + name), std::string::npos) << c.query;
    }
}

TEST_F(SiteServer, PublicationsPerAddressAndMinuteAreLimited) {
    start({"--clock", "2026-3-4 12:00:00", "--publications-per-minute", "2", "--trust-proxy"});
    const std::string record = played(kModeGame, 20, "小明", 12);
    const std::vector<std::pair<std::string, std::string>> from = {
        {"X-Forwarded-For", "198.51.100.7, 203.0.113.5"}};
    EXPECT_EQ(publish(record, from).header("x-qob-publication"), "accepted");
    EXPECT_EQ(publish(record, from).header("x-qob-publication"), "already-published");
    const HttpReply third = publish(record, from);
    EXPECT_EQ(third.header("x-qob-publication"), "refused");
    EXPECT_NE(third.body.find("发布太频繁"), std::string::npos);
    // Another client behind the same proxy has its own count.
    EXPECT_EQ(publish(record, {{"X-Forwarded-For", "203.0.113.9"}}).header("x-qob-publication"),
              "already-published");
}

TEST_F(SiteServer, ServesTheGamesHelpPagesAndTellsItIsTheSite) {
    HttpReply ping = get(kSitePingPath);
    EXPECT_EQ(ping.status, 200);
    EXPECT_EQ(ping.body, kSitePingBody);
    EXPECT_EQ(ping.header("x-qob-site"), kSitePingHeaderValue);

    for (const char* page : {"ssindex.htm", "ssrule.htm", "ssdownload.htm"}) {
        const HttpReply reply = get(std::string("/qob/") + page);
        EXPECT_EQ(reply.status, 200) << page;
        EXPECT_NE(reply.header("content-type").find("text/html"), std::string::npos);
        EXPECT_NE(reply.body.find("霁虹珠台 QOB"), std::string::npos) << page;
        EXPECT_NE(reply.body.find("这是霁虹珠台网站上的页面"), std::string::npos) << page;
        EXPECT_NE(reply.body.find("href=\"sslist.htm\""), std::string::npos) << page;
    }
    EXPECT_EQ(get("/qob/nothing.htm").status, 404);
    EXPECT_EQ(get("/qob/../../etc/passwd").status, 404);
    EXPECT_EQ(httpRequest(site->port(), "/qob/sslist.htm", {}, "POST").status, 405);
    EXPECT_EQ(httpRequest(site->port(), "/qob/ssrule.htm", {}, "HEAD").status, 200);
    // Nothing is published by a HEAD.
    const std::string record = played(kModeGame, 10, "小明", 13);
    EXPECT_EQ(
        httpRequest(site->port(), targetOf(uploadAddress(site->baseUrl(), record)), {}, "HEAD")
            .status,
        405);
    EXPECT_EQ(stored(), 0);
    EXPECT_EQ(get("/").header("location"), "/qob/ssindex.htm");
}

// The ranking's row of a name, from its rank to the end of its row.
std::string rowOf(const std::string& page, const std::string& name) {
    const std::size_t at = page.find("<td>" + name + "<br>");
    if (at == std::string::npos) return {};
    const std::size_t start = page.rfind("<tr>", at);
    return page.substr(start, page.find("</tr>", at) - start);
}

// The record with its log piece replaced; without one when `log` is empty.
std::string withLog(const std::string& record, const std::string& log) {
    const std::string kept = record.substr(0, record.find("|log="));
    return log.empty() ? kept : kept + formatExtras({{kLogKey, log}});
}

// A new folder under the system's temporary folder, removed afterwards.
struct Scratch {
    Scratch() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "qob-replay.XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) folder = pattern;
    }
    ~Scratch() {
        std::error_code ignored;
        if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
    }
    const std::filesystem::path& path() const { return folder; }
    std::filesystem::path folder;
};

TEST_F(SiteServer, RecordsWhoseLogReplaysAreMarkedVerified) {
    start({"--clock", "2026-3-4 12:00:00", "--publications-per-minute", "0"});
    Scratch scratch;
    ASSERT_FALSE(scratch.path().empty());
    std::vector<RecordedGame> games;
    for (const GameKind kind : kGameKinds) {
        const std::string name = "复盘" + std::to_string(games.size() + 1);
        RecordedGame r = recordGame(kind, scratch.path(), name);
        ASSERT_TRUE(r.played) << describe(kind);
        const HttpReply reply = publish(r.text);
        EXPECT_EQ(reply.header("x-qob-publication"), "accepted") << describe(kind) << reply.body;
        EXPECT_NE(reply.body.find("复盘验证"), std::string::npos) << describe(kind);
        const std::string page = get(std::string("/qob/sslist.htm?mode=") + modeOf(kind)).body;
        EXPECT_NE(rowOf(page, name).find("<td align=\"center\">复盘验证</td>"), std::string::npos)
            << describe(kind) << ": " << rowOf(page, name);
        games.push_back(std::move(r));
    }

    // The game still running saved once more, a record of its own, and published without
    // its log: listed, unverified.
    const auto running = std::find_if(games.begin(), games.end(), [](const RecordedGame& r) {
        return !r.played->player.record();
    });
    ASSERT_NE(running, games.end());
    running->played->window.clock.minute += 1;
    running->played->window.inputs.push_back("无记录");
    running->played->window.files.push_back((scratch.path() / "again.rec").string());
    running->files->RecFileSave();
    const std::string again = readRecordFile((scratch.path() / "again.rec").string()).text;
    const HttpReply unverified = publish(withLog(again, ""));
    EXPECT_EQ(unverified.header("x-qob-publication"), "accepted") << unverified.body;
    EXPECT_NE(unverified.body.find("没有复盘验证"), std::string::npos);
    std::string page = get("/qob/sslist.htm?mode=sport").body;
    EXPECT_NE(rowOf(page, "无记录").find("<td align=\"center\"></td>"), std::string::npos)
        << rowOf(page, "无记录");

    // verified=1: the verified records alone, the filters kept in the links.
    page = get("/qob/sslist.htm?mode=sport&period=all&verified=1").body;
    EXPECT_EQ(rowOf(page, "无记录"), "");
    EXPECT_NE(rowOf(page, "复盘4"), "");
    EXPECT_NE(page.find("<b>只看复盘验证</b>"), std::string::npos);
    EXPECT_NE(page.find("href=\"sslist.htm?mode=lim&amp;period=all&amp;verified=1\""),
              std::string::npos);
    page = get("/qob/sslist.htm?verified=1").body;
    for (std::size_t k = 1; k <= games.size(); ++k)
        EXPECT_NE(rowOf(page, "复盘" + std::to_string(k)), "") << k;
    EXPECT_EQ(stored(), static_cast<std::int64_t>(games.size()) + 1);

    // The whole "lim" game's record with a log the rules cannot follow to it: refused with
    // its reason (before the site looks for the record among those it has), nothing stored.
    const std::string& lim = games.front().text;
    const std::string log = *findExtra(lim, kLogKey);
    ASSERT_EQ(games.front().played->player.record()->roundNo, kLimRounds);
    std::string lastTile = log;
    lastTile.back() = log.back() == '1' ? '2' : '1';
    const ReplayResult first = replayGame(kModeLim, log.substr(0, 4));
    std::string refusedClick = log;
    for (int i = 0; i < kTileCount; ++i)
        if (groupAt(first.state.board, i % 7 + 1, i / 7 + 1).size() < 3)
            refusedClick[4] = logSymbol(i);
    const struct {
        const char* what;
        std::string log;
        const char* reason;
    } cases[] = {
        {"one logged outcome changed", lastTile, "复盘结果与成绩不符：棋盘第"},
        {"a click the board does not allow", refusedClick, "点击的泡泡不足3个相连"},
        {"a step after the end", log + "A", "之后却还有记录"},
    };
    for (const auto& c : cases) {
        const HttpReply reply = publish(withLog(lim, c.log));
        EXPECT_EQ(reply.header("x-qob-publication"), "refused") << c.what;
        EXPECT_NE(reply.body.find(c.reason), std::string::npos) << c.what << ": " << reply.body;
    }
    EXPECT_EQ(stored(), static_cast<std::int64_t>(games.size()) + 1);
}

TEST_F(SiteServer, LogsALineForEachRequest) {
    get("/qob/ssrule.htm");
    get("/qob/list/?act=viewform&reccode=" + std::string(500, 'Q'));
    site->stop();
    const std::string log = site->log();
    EXPECT_NE(log.find(" 127.0.0.1 GET /qob/ssrule.htm 200 "), std::string::npos) << log;
    EXPECT_NE(log.find("QQQQ...(532 bytes) 200 "), std::string::npos) << log;
}

}  // namespace
}  // namespace qob::test
