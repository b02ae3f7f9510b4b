#pragma once
// The site's database: the published score records and the count of publications per
// client address and minute. One interface, two databases behind it (SQLite and
// PostgreSQL), one schema for both (Schema.h). An instance is one connection: use it
// from one thread at a time.

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace qob::site {

// The database cannot be reached or refused a statement.
class StorageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A score record as the database keeps it.
struct ScoreEntry {
    std::string seal;  // the four digests: what makes two publications one record
    std::string gameMode;
    std::int32_t totalScore = 0;
    std::int32_t moveScore = 0;
    std::int32_t bonusScore = 0;
    std::int32_t levelNo = 0;
    std::int32_t roundNo = 0;
    std::int32_t tilesCleared = 0;
    std::string gameId;
    std::string startedAt;  // the player's local time, "YYYY-MM-DD HH:MM:SS"
    std::string playedAt;   // when the record was saved, the same form
    std::string playerName;
    bool verified = false;
    std::string recordText;   // whole, as received
    std::string publishedAt;  // the site's clock, UTC, "YYYY-MM-DD HH:MM:SS"
    std::string publishedBy;  // the client's address
};

struct Publication {
    bool stored = false;  // false: the record was there already
    std::int64_t id = 0;
    std::string gameMode;
    std::int64_t rank = 0;  // in its mode, over all time
};

struct RankedScore {
    std::int64_t rank = 0;
    std::string playerName;
    std::int32_t totalScore = 0;
    std::int32_t levelNo = 0;
    std::int32_t roundNo = 0;
    std::int32_t tilesCleared = 0;
    std::string playedAt;
    bool verified = false;
};

class ScoreStorage {
  public:
    virtual ~ScoreStorage() = default;

    // Counts one publication from `client` in `minute` (minutes since 1970, UTC) and
    // returns how many there were in that minute, this one included. Forgets earlier
    // minutes.
    virtual std::int64_t countPublication(const std::string& client, std::int64_t minute) = 0;
    // Stores the entry unless a record with its seal is there already; either way tells
    // where that record ranks.
    virtual Publication publish(const ScoreEntry& entry) = 0;
    // The best `limit` of a mode played at or after `playedSince` (same form as playedAt;
    // empty: all time), by total score, the earlier publication first among equals; with
    // `verifiedOnly`, of the records verified by replay alone.
    virtual std::vector<RankedScore> best(const std::string& gameMode,
                                          const std::string& playedSince, bool verifiedOnly,
                                          int limit) = 0;
    virtual std::int64_t storedCount() = 0;
    // The schema version the database holds.
    virtual int schemaVersion() = 0;
};

// Opens "sqlite:PATH" or "postgresql://..." (also "postgres://...") and brings the
// schema up to date. Throws StorageError.
std::unique_ptr<ScoreStorage> openScoreStorage(const std::string& database);

}  // namespace qob::site
