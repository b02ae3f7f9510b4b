#include "ScoreStorage.h"

#include "PostgresStorage.h"
#include "SqliteStorage.h"

namespace qob::site {

std::unique_ptr<ScoreStorage> openScoreStorage(const std::string& database) {
    const auto startsWith = [&](const char* prefix) { return database.rfind(prefix, 0) == 0; };
    if (startsWith("sqlite:")) {
        const std::string path = database.substr(7);
        if (path.empty()) throw StorageError("sqlite: needs a file path");
        return std::make_unique<SqliteStorage>(path);
    }
    if (startsWith("postgresql://") || startsWith("postgres://"))
        return std::make_unique<PostgresStorage>(database);
    throw StorageError("unknown kind of database: give sqlite:PATH or postgresql://...");
}

}  // namespace qob::site
