#include "PostgresStorage.h"

#include <pqxx/pqxx>

#include "Schema.h"

namespace qob::site {

namespace {

// Taken by every instance that brings the schema up to date, for the length of its
// transaction.
constexpr long kSchemaLock = 8600;

// Runs `work` and turns the library's errors into StorageError.
template <class Work>
auto guarded(Work&& work) -> decltype(work()) {
    try {
        return work();
    } catch (const pqxx::broken_connection& e) {
        throw StorageError(std::string("PostgreSQL connection lost: ") + e.what());
    } catch (const pqxx::failure& e) {
        throw StorageError(std::string("PostgreSQL: ") + e.what());
    }
}

const char* const kStatements[][2] = {
    {"select_version", kSelectVersion},
    {"count_publication", kCountPublication},
    {"forget_publications", kForgetPublications},
    {"insert_score", kInsertScore},
    {"find_score", kFindScore},
    {"rank_of", kRankOf},
    {"best", kBest},
    {"best_since", kBestSince},
    {"count_scores", kCountScores},
};

}  // namespace

struct PostgresStorage::Connection {
    explicit Connection(const std::string& address) : db(address) {}
    pqxx::connection db;
};

PostgresStorage::PostgresStorage(const std::string& connection) {
    guarded([&] {
        connection_ = std::make_unique<Connection>(connection);
        migrate();
        prepareStatements();
        return 0;
    });
}

PostgresStorage::~PostgresStorage() = default;

void PostgresStorage::migrate() {
    pqxx::work w(connection_->db);
    w.exec_params("SELECT pg_advisory_xact_lock($1)", kSchemaLock);
    updateSchema(
        SqlDialect::Postgresql, [&](const std::string& sql) { w.exec(sql); },
        [&] { return w.exec(kSelectVersion)[0][0].as<int>(); },
        [&](int version) { w.exec_params(kInsertVersion, version); });
    w.commit();
}

void PostgresStorage::prepareStatements() {
    for (const auto& [name, sql] : kStatements)
        connection_->db.prepare(name, sql);
}

int PostgresStorage::schemaVersion() {
    return guarded([&] {
        pqxx::nontransaction w(connection_->db);
        return w.exec_prepared("select_version")[0][0].as<int>();
    });
}

std::int64_t PostgresStorage::countPublication(const std::string& client, std::int64_t minute) {
    if (minute != forgotten_) {
        // On its own, so that it holds no lock the count below waits for; a clearing that
        // fails is done by the next one.
        try {
            pqxx::nontransaction w(connection_->db);
            w.exec_prepared("forget_publications", minute - 1);
            forgotten_ = minute;
        } catch (const pqxx::sql_error&) {
        }
    }
    return guarded([&] {
        pqxx::nontransaction w(connection_->db);
        return w.exec_prepared("count_publication", client, minute)[0][0].as<std::int64_t>();
    });
}

Publication PostgresStorage::publish(const ScoreEntry& e) {
    return guarded([&] {
        pqxx::work w(connection_->db);
        Publication p;
        p.gameMode = e.gameMode;
        std::int64_t total = e.totalScore;
        const pqxx::result inserted = w.exec_prepared(
            "insert_score", e.seal, e.gameMode, e.totalScore, e.moveScore, e.bonusScore, e.levelNo,
            e.roundNo, e.tilesCleared, e.gameId, e.startedAt, e.playedAt, e.playerName,
            e.verified ? 1 : 0, e.recordText, e.publishedAt, e.publishedBy);
        if (!inserted.empty()) {
            p.stored = true;
            p.id = inserted[0][0].as<std::int64_t>();
        } else {
            // Stored before, or by a transaction that committed while this one waited.
            const pqxx::result found = w.exec_prepared("find_score", e.seal);
            if (found.empty()) throw StorageError("a stored record went missing");
            p.id = found[0][0].as<std::int64_t>();
            p.gameMode = found[0][1].as<std::string>();
            total = found[0][2].as<std::int64_t>();
        }
        p.rank = w.exec_prepared("rank_of", p.gameMode, total, p.id)[0][0].as<std::int64_t>() + 1;
        w.commit();
        return p;
    });
}

std::vector<RankedScore> PostgresStorage::best(const std::string& gameMode,
                                               const std::string& playedSince, bool verifiedOnly,
                                               int limit) {
    return guarded([&] {
        pqxx::nontransaction w(connection_->db);
        std::vector<RankedScore> rows;
        const int verified = verifiedOnly ? 1 : 0;
        const pqxx::result found =
            playedSince.empty()
                ? w.exec_prepared("best", gameMode, verified, limit)
                : w.exec_prepared("best_since", gameMode, verified, playedSince, limit);
        for (const pqxx::row& row : found) {
            RankedScore r;
            r.rank = static_cast<std::int64_t>(rows.size()) + 1;
            r.playerName = row[0].as<std::string>();
            r.totalScore = row[1].as<std::int32_t>();
            r.levelNo = row[2].as<std::int32_t>();
            r.roundNo = row[3].as<std::int32_t>();
            r.tilesCleared = row[4].as<std::int32_t>();
            r.playedAt = row[5].as<std::string>();
            r.verified = row[6].as<int>() != 0;
            rows.push_back(std::move(r));
        }
        return rows;
    });
}

std::int64_t PostgresStorage::storedCount() {
    return guarded([&] {
        pqxx::nontransaction w(connection_->db);
        return w.exec_prepared("count_scores")[0][0].as<std::int64_t>();
    });
}

}  // namespace qob::site
