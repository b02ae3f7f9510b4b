#pragma once

#include <memory>
#include <string>

#include "ScoreStorage.h"

namespace qob::site {

// The scores in a PostgreSQL database, reached by a libpq connection string or URI.
class PostgresStorage : public ScoreStorage {
  public:
    explicit PostgresStorage(const std::string& connection);
    ~PostgresStorage() override;

    std::int64_t countPublication(const std::string& client, std::int64_t minute) override;
    Publication publish(const ScoreEntry& entry) override;
    std::vector<RankedScore> best(const std::string& gameMode, const std::string& playedSince,
                                  bool verifiedOnly, int limit) override;
    std::int64_t storedCount() override;
    int schemaVersion() override;

  private:
    struct Connection;  // the library's connection, kept out of this header
    void migrate();
    void prepareStatements();

    std::unique_ptr<Connection> connection_;
    std::int64_t forgotten_ = -1;  // the minute the old counts were last cleared for
};

}  // namespace qob::site
