#pragma once
// qob-site as the tests meet it: the real program started on 127.0.0.1 on a free port,
// a database of its own for each test, and plain HTTP requests to it.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace qob::test {

// A new, empty database: an SQLite file in a new folder or, when QOB_TEST_POSTGRESQL_FILE
// names a file, a new database in the test cluster whose address that file holds.
// Removed again at the end.
class TestDatabase {
  public:
    TestDatabase();
    ~TestDatabase();
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    // What qob-site's --db takes.
    const std::string& address() const { return address_; }
    bool isPostgresql() const { return postgres_; }

  private:
    bool postgres_ = false;
    std::string address_;
    std::string folder_;       // SQLite
    std::string maintenance_;  // PostgreSQL: the cluster's "postgres" database
    std::string name_;         // PostgreSQL: this database
};

// qob-site running with `arguments` after --listen and --db. Its clock zone is UTC.
class SiteProcess {
  public:
    SiteProcess(const std::string& database, const std::vector<std::string>& arguments = {},
                const std::string& listen = "127.0.0.1:0");
    ~SiteProcess();
    SiteProcess(const SiteProcess&) = delete;
    SiteProcess& operator=(const SiteProcess&) = delete;

    bool isRunning() const { return port_ != 0; }
    std::uint16_t port() const { return port_; }
    // "http://ADDRESS:PORT", the game's base address for it.
    std::string baseUrl() const;
    // What the program wrote to standard error so far: its log.
    std::string log() const;
    // Stops it (SIGTERM) and returns its exit status.
    int stop();

  private:
    int pid_ = 0;
    std::string host_;  // as a URL writes it
    std::uint16_t port_ = 0;
    std::string logFile_;
};

struct HttpReply {
    int status = 0;                              // 0: no answer
    std::map<std::string, std::string> headers;  // names in lower case
    std::string body;

    std::string header(const std::string& lowerName) const {
        const auto found = headers.find(lowerName);
        return found == headers.end() ? std::string() : found->second;
    }
};

// One request to 127.0.0.1:port, the connection closed after it.
HttpReply httpRequest(std::uint16_t port, const std::string& target,
                      const std::vector<std::pair<std::string, std::string>>& headers = {},
                      const std::string& method = "GET");

// The request target of a full address "http://host:port/path?query".
std::string targetOf(const std::string& address);

}  // namespace qob::test
