#include "SqliteStorage.h"

#include <variant>

#include "Schema.h"

namespace qob::site {

namespace {

// How long a writer waits for another one (another thread or another instance).
constexpr int kBusyTimeoutMs = 10000;

}  // namespace

// A prepared statement, reset and unbound after each use.
class SqliteStorage::Statement {
  public:
    using Value = std::variant<std::int64_t, std::string>;

    Statement(sqlite3* db, const char* sql) : db_(db) {
        if (sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr) !=
            SQLITE_OK)
            throw StorageError(std::string("cannot prepare a statement: ") + sqlite3_errmsg(db));
    }
    ~Statement() { sqlite3_finalize(stmt_); }

    // Binds $1, $2, ... in order.
    Statement& bind(std::initializer_list<Value> values) {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
        int k = 1;
        for (const Value& value : values) {
            const std::string name = "$" + std::to_string(k++);
            const int at = sqlite3_bind_parameter_index(stmt_, name.c_str());
            if (at == 0) continue;
            int rc;
            if (const auto* n = std::get_if<std::int64_t>(&value))
                rc = sqlite3_bind_int64(stmt_, at, *n);
            else {
                const std::string& s = std::get<std::string>(value);
                rc = sqlite3_bind_text(stmt_, at, s.data(), static_cast<int>(s.size()),
                                       SQLITE_TRANSIENT);
            }
            check(rc);
        }
        return *this;
    }

    // The next row; false when there is none.
    bool step() {
        const int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW) return true;
        if (rc == SQLITE_DONE) return false;
        check(rc);
        return false;
    }
    void run() {
        while (step()) {
        }
        sqlite3_reset(stmt_);
    }
    void done() { sqlite3_reset(stmt_); }

    std::int64_t integer(int column) const { return sqlite3_column_int64(stmt_, column); }
    std::string text(int column) const {
        const auto* s = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
        return s != nullptr
                   ? std::string(s, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)))
                   : std::string();
    }

  private:
    void check(int rc) const {
        if (rc != SQLITE_OK && rc != SQLITE_ROW && rc != SQLITE_DONE) {
            const std::string message = sqlite3_errmsg(db_);
            sqlite3_reset(stmt_);
            throw StorageError("SQLite: " + message);
        }
    }

    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

namespace {

void runSql(sqlite3* db, const std::string& sql) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string text = message != nullptr ? message : sqlite3_errmsg(db);
        sqlite3_free(message);
        throw StorageError("SQLite: " + text);
    }
}

// A transaction that takes the write lock at once, rolled back unless committed.
class WriteTransaction {
  public:
    explicit WriteTransaction(sqlite3* db) : db_(db) { runSql(db_, "BEGIN IMMEDIATE"); }
    ~WriteTransaction() {
        if (!done_) {
            try {
                runSql(db_, "ROLLBACK");
            } catch (const StorageError&) {
            }
        }
    }
    void commit() {
        runSql(db_, "COMMIT");
        done_ = true;
    }

  private:
    sqlite3* db_;
    bool done_ = false;
};

}  // namespace

SqliteStorage::SqliteStorage(const std::string& path) {
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
        const std::string message = db_ != nullptr ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        db_ = nullptr;
        throw StorageError("cannot open the SQLite database " + path + ": " + message);
    }
    try {
        sqlite3_busy_timeout(db_, kBusyTimeoutMs);
        exec("PRAGMA journal_mode = WAL");
        exec("PRAGMA foreign_keys = ON");
        migrate();
    } catch (...) {
        sqlite3_close(db_);
        db_ = nullptr;
        throw;
    }
}

SqliteStorage::~SqliteStorage() {
    statements_.clear();
    sqlite3_close(db_);
}

SqliteStorage::Statement& SqliteStorage::statement(const char* sql) {
    auto found = statements_.find(sql);
    if (found == statements_.end())
        found = statements_.emplace(sql, std::make_unique<Statement>(db_, sql)).first;
    return *found->second;
}

void SqliteStorage::exec(const std::string& sql) {
    runSql(db_, sql);
}

void SqliteStorage::migrate() {
    WriteTransaction transaction(db_);
    // The version table may not exist yet, so its statements are prepared afresh here.
    updateSchema(
        SqlDialect::Sqlite, [this](const std::string& sql) { exec(sql); },
        [this] {
            Statement select(db_, kSelectVersion);
            select.bind({});
            return select.step() ? static_cast<int>(select.integer(0)) : 0;
        },
        [this](int version) {
            Statement insert(db_, kInsertVersion);
            insert.bind({std::int64_t{version}}).run();
        });
    transaction.commit();
}

int SqliteStorage::schemaVersion() {
    Statement& select = statement(kSelectVersion);
    const int version = select.bind({}).step() ? static_cast<int>(select.integer(0)) : 0;
    select.done();
    return version;
}

std::int64_t SqliteStorage::countPublication(const std::string& client, std::int64_t minute) {
    WriteTransaction transaction(db_);
    if (minute != forgotten_) {
        statement(kForgetPublications).bind({minute - 1}).run();
        forgotten_ = minute;
    }
    Statement& count = statement(kCountPublication);
    count.bind({client, minute});
    const std::int64_t n = count.step() ? count.integer(0) : 0;
    count.done();
    transaction.commit();
    return n;
}

Publication SqliteStorage::publish(const ScoreEntry& e) {
    WriteTransaction transaction(db_);
    Publication p;
    Statement& insert = statement(kInsertScore);
    insert.bind({e.seal, e.gameMode, std::int64_t{e.totalScore}, std::int64_t{e.moveScore},
                 std::int64_t{e.bonusScore}, std::int64_t{e.levelNo}, std::int64_t{e.roundNo},
                 std::int64_t{e.tilesCleared}, e.gameId, e.startedAt, e.playedAt, e.playerName,
                 std::int64_t{e.verified ? 1 : 0}, e.recordText, e.publishedAt, e.publishedBy});
    std::int64_t total = e.totalScore;
    p.gameMode = e.gameMode;
    if (insert.step()) {
        p.stored = true;
        p.id = insert.integer(0);
        insert.done();
    } else {
        insert.done();
        Statement& find = statement(kFindScore);
        if (!find.bind({e.seal}).step()) throw StorageError("a stored record went missing");
        p.id = find.integer(0);
        p.gameMode = find.text(1);
        total = find.integer(2);
        find.done();
    }
    Statement& rank = statement(kRankOf);
    rank.bind({p.gameMode, total, p.id});
    p.rank = (rank.step() ? rank.integer(0) : 0) + 1;
    rank.done();
    transaction.commit();
    return p;
}

std::vector<RankedScore> SqliteStorage::best(const std::string& gameMode,
                                             const std::string& playedSince, bool verifiedOnly,
                                             int limit) {
    std::vector<RankedScore> rows;
    Statement& select = statement(playedSince.empty() ? kBest : kBestSince);
    const std::int64_t verified = verifiedOnly ? 1 : 0;
    if (playedSince.empty())
        select.bind({gameMode, verified, std::int64_t{limit}});
    else
        select.bind({gameMode, verified, playedSince, std::int64_t{limit}});
    while (select.step()) {
        RankedScore r;
        r.rank = static_cast<std::int64_t>(rows.size()) + 1;
        r.playerName = select.text(0);
        r.totalScore = static_cast<std::int32_t>(select.integer(1));
        r.levelNo = static_cast<std::int32_t>(select.integer(2));
        r.roundNo = static_cast<std::int32_t>(select.integer(3));
        r.tilesCleared = static_cast<std::int32_t>(select.integer(4));
        r.playedAt = select.text(5);
        r.verified = select.integer(6) != 0;
        rows.push_back(std::move(r));
    }
    select.done();
    return rows;
}

std::int64_t SqliteStorage::storedCount() {
    Statement& count = statement(kCountScores);
    const std::int64_t n = count.bind({}).step() ? count.integer(0) : 0;
    count.done();
    return n;
}

}  // namespace qob::site
