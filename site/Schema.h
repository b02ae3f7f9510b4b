#pragma once
// The site's schema and statements, one text for SQLite and PostgreSQL. Parameters are
// written $1, $2, ... in both. The one word the two spell differently, the type of an
// identity column, stands as {ID} in the schema steps.

#include <functional>
#include <string>
#include <vector>

namespace qob::site {

enum class SqlDialect { Sqlite, Postgresql };

// The steps from an empty database on; step k brings the schema to version k + 1.
std::vector<std::string> schemaSteps(SqlDialect dialect);

// Brings the schema up to date inside a transaction the caller holds (and has locked
// against other instances): `exec` runs a script, `version` reads the version the
// database holds, `record` writes a new one. Throws StorageError for a database made by a
// newer program.
void updateSchema(SqlDialect dialect, const std::function<void(const std::string&)>& exec,
                  const std::function<int()>& version, const std::function<void(int)>& record);

// Made before anything else, in the same transaction as the steps.
inline constexpr const char* kCreateVersionTable =
    "CREATE TABLE IF NOT EXISTS qob_schema (version INTEGER NOT NULL)";
inline constexpr const char* kSelectVersion = "SELECT COALESCE(MAX(version), 0) FROM qob_schema";
inline constexpr const char* kInsertVersion = "INSERT INTO qob_schema (version) VALUES ($1)";

// One row a client: its latest minute and how many publications it made in it.
inline constexpr const char* kCountPublication =
    "INSERT INTO publish_counts (client, minute, count) VALUES ($1, $2, 1) "
    "ON CONFLICT (client) DO UPDATE SET count = CASE WHEN publish_counts.minute = "
    "excluded.minute THEN publish_counts.count + 1 ELSE 1 END, minute = excluded.minute "
    "RETURNING count";
inline constexpr const char* kForgetPublications = "DELETE FROM publish_counts WHERE minute < $1";

inline constexpr const char* kInsertScore =
    "INSERT INTO scores (seal, game_mode, total_score, move_score, bonus_score, level_no, "
    "round_no, tiles_cleared, game_id, started_at, played_at, player_name, verified, "
    "record_text, published_at, published_by) "
    "VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, $12, $13, $14, $15, $16) "
    "ON CONFLICT (seal) DO NOTHING RETURNING id";
inline constexpr const char* kFindScore =
    "SELECT id, game_mode, total_score FROM scores WHERE seal = $1";
inline constexpr const char* kRankOf =
    "SELECT COUNT(*) FROM scores WHERE game_mode = $1 "
    "AND (total_score > $2 OR (total_score = $2 AND id < $3))";
// All time, along the rank index; a period, along the day index (few rows, sorted).
// `verified >= $2`: 1 for the verified records alone, 0 for all.
inline constexpr const char* kBest =
    "SELECT player_name, total_score, level_no, round_no, tiles_cleared, played_at, verified "
    "FROM scores WHERE game_mode = $1 AND verified >= $2 ORDER BY total_score DESC, id LIMIT $3";
inline constexpr const char* kBestSince =
    "SELECT player_name, total_score, level_no, round_no, tiles_cleared, played_at, verified "
    "FROM scores WHERE game_mode = $1 AND verified >= $2 AND played_at >= $3 "
    "ORDER BY total_score DESC, id LIMIT $4";
inline constexpr const char* kCountScores = "SELECT COUNT(*) FROM scores";

}  // namespace qob::site
