// The site's database behind its interface, SQLite or PostgreSQL (TestDatabase):
// ranks, the ranking's order, one record stored once however many publish it at once,
// the publication counts, and the schema's version.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <pqxx/pqxx>
#include <string>
#include <thread>
#include <vector>

#include "ScoreStorage.h"
#include "SiteProcess.h"

namespace qob::site {
namespace {

using test::TestDatabase;

ScoreEntry entry(const std::string& seal, const std::string& mode, std::int32_t total,
                 const std::string& playedAt = "2026-03-04 10:00:00") {
    ScoreEntry e;
    e.seal = seal;
    e.gameMode = mode;
    e.totalScore = total;
    e.moveScore = total;
    e.roundNo = 10;
    e.tilesCleared = 40;
    e.gameId = "1234";
    e.startedAt = "2026-03-04 09:00:00";
    e.playedAt = playedAt;
    e.playerName = "玩家" + seal;
    e.recordText = "QOB|rec|" + seal;
    e.publishedAt = "2026-03-04 12:00:00";
    e.publishedBy = "127.0.0.1";
    return e;
}

class Storage : public ::testing::Test {
  protected:
    TestDatabase database;
    std::unique_ptr<ScoreStorage> storage = openScoreStorage(database.address());
};

TEST_F(Storage, RanksByTotalAndTheEarlierAmongEquals) {
    struct Step {
        const char* seal;
        std::int32_t total;
        std::int64_t rank;  // when published
    };
    const Step steps[] = {{"a", 100, 1}, {"b", 200, 1}, {"c", 200, 2}, {"d", 50, 4}, {"e", 300, 1}};
    for (const Step& s : steps) {
        const Publication p = storage->publish(entry(s.seal, "lim", s.total));
        EXPECT_TRUE(p.stored) << s.seal;
        EXPECT_EQ(p.rank, s.rank) << s.seal;
    }
    storage->publish(entry("other mode", "game", 1000));

    const std::vector<RankedScore> best = storage->best("lim", "", false, 50);
    std::vector<std::string> order;
    for (const RankedScore& r : best) {
        order.push_back(r.playerName);
        EXPECT_EQ(r.rank, static_cast<std::int64_t>(order.size()));
    }
    EXPECT_EQ(order, (std::vector<std::string>{"玩家e", "玩家b", "玩家c", "玩家a", "玩家d"}));
    EXPECT_EQ(storage->best("lim", "", false, 2).size(), 2u);

    // Published again, a record keeps its place.
    const Publication again = storage->publish(entry("c", "lim", 200));
    EXPECT_FALSE(again.stored);
    EXPECT_EQ(again.rank, 3);
    EXPECT_EQ(storage->storedCount(), 6);
}

TEST_F(Storage, TheRankingKeepsToItsPeriod) {
    storage->publish(entry("old", "sport", 900, "2026-02-27 23:59:59"));
    storage->publish(entry("new", "sport", 100, "2026-03-02 00:00:00"));
    const std::vector<RankedScore> week = storage->best("sport", "2026-03-02 00:00:00", false, 50);
    ASSERT_EQ(week.size(), 1u);
    EXPECT_EQ(week[0].playerName, "玩家new");
    EXPECT_EQ(week[0].playedAt, "2026-03-02 00:00:00");
    EXPECT_FALSE(week[0].verified);
}

TEST_F(Storage, ARecordPublishedAtOnceFromManyConnectionsIsStoredOnce) {
    constexpr int kWriters = 8;
    std::vector<Publication> answers(kWriters);
    std::vector<std::string> errors(kWriters);
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w)
        writers.emplace_back([&, w] {
            try {
                auto own = openScoreStorage(database.address());
                for (int k = 0; k < 20; ++k)
                    answers[w] = own->publish(entry("seal " + std::to_string(k), "game", k));
            } catch (const std::exception& e) {
                errors[w] = e.what();
            }
        });
    for (std::thread& t : writers)
        t.join();
    for (int w = 0; w < kWriters; ++w) {
        EXPECT_EQ(errors[w], "") << w;
        EXPECT_EQ(answers[w].id, answers[0].id) << w;
    }
    EXPECT_EQ(storage->storedCount(), 20);
}

TEST_F(Storage, CountsPublicationsPerClientAndMinute) {
    EXPECT_EQ(storage->countPublication("198.51.100.7", 1000), 1);
    EXPECT_EQ(storage->countPublication("198.51.100.7", 1000), 2);
    EXPECT_EQ(storage->countPublication("203.0.113.5", 1000), 1);
    // Another connection counts into the same rows.
    EXPECT_EQ(openScoreStorage(database.address())->countPublication("198.51.100.7", 1000), 3);
    EXPECT_EQ(storage->countPublication("198.51.100.7", 1001), 1);
}

TEST_F(Storage, TheSchemaIsMadeOnceAndANewerOneIsLeftAlone) {
    EXPECT_EQ(storage->schemaVersion(), 1);
    storage->publish(entry("kept", "game", 5));
    storage.reset();
    storage = openScoreStorage(database.address());
    EXPECT_EQ(storage->schemaVersion(), 1);
    EXPECT_EQ(storage->storedCount(), 1);

    // A database that a newer program has brought further.
    const std::string insert = "INSERT INTO qob_schema (version) VALUES (99)";
    if (database.isPostgresql()) {
        pqxx::connection c(database.address());
        pqxx::nontransaction(c).exec(insert);
    } else {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(database.address().substr(7).c_str(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, insert.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }
    try {
        openScoreStorage(database.address());
        ADD_FAILURE() << "a newer schema was taken";
    } catch (const StorageError& e) {
        EXPECT_NE(std::string(e.what()).find("newer"), std::string::npos) << e.what();
    }
}

}  // namespace
}  // namespace qob::site
