#pragma once

#include <sqlite3.h>

#include <map>
#include <memory>
#include <string>

#include "ScoreStorage.h"

namespace qob::site {

// The scores in one SQLite file (write-ahead log, so that readers never wait for a
// writer; several processes may share the file).
class SqliteStorage : public ScoreStorage {
  public:
    explicit SqliteStorage(const std::string& path);
    ~SqliteStorage() override;

    std::int64_t countPublication(const std::string& client, std::int64_t minute) override;
    Publication publish(const ScoreEntry& entry) override;
    std::vector<RankedScore> best(const std::string& gameMode, const std::string& playedSince,
                                  bool verifiedOnly, int limit) override;
    std::int64_t storedCount() override;
    int schemaVersion() override;

    class Statement;

  private:
    Statement& statement(const char* sql);
    void exec(const std::string& sql);
    void migrate();

    sqlite3* db_ = nullptr;
    std::map<const char*, std::unique_ptr<Statement>> statements_;  // by their text
    std::int64_t forgotten_ = -1;  // the minute the old counts were last cleared for
};

}  // namespace qob::site
