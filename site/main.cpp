// qob-site: the game's website. See --help.
#include <csignal>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "HttpServer.h"
#include "Pages.h"
#include "ScoreStorage.h"
#include "Site.h"
#include "SiteOptions.h"
#include "StoragePool.h"

namespace {

using namespace qob::site;

std::filesystem::path programFolder() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::current_path() : self.parent_path();
}

// The moment of a local date and time.
TimePoint localMoment(const qob::DateTime& t) {
    std::tm tm{};
    tm.tm_year = t.year - 1900;
    tm.tm_mon = t.month - 1;
    tm.tm_mday = t.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    tm.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&tm));
}

// The database as the log may show it: a PostgreSQL address can hold a password.
std::string databaseKind(const std::string& database) {
    return database.rfind("sqlite:", 0) == 0 ? database : "postgresql";
}

}  // namespace

int main(int argc, char** argv) {
    const ParsedOptions parsed = parseSiteOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) {
        if (parsed.error.empty()) {
            std::cout << siteUsage();
            return 0;
        }
        std::cerr << "qob-site: " << parsed.error << " (see qob-site --help)\n";
        return 2;
    }
    const SiteOptions& options = *parsed.options;
    const std::filesystem::path pagesFolder =
        options.pages.empty() ? programFolder() / "help" : std::filesystem::path(options.pages);

    // The server's threads inherit this mask, so that the signals reach sigwait below.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    try {
        const Pages pages(pagesFolder);
        StoragePool storage(options.database, openScoreStorage(options.database));

        SiteSettings settings;
        settings.publicationsPerMinute = options.publicationsPerMinute;
        settings.trustProxy = options.trustProxy;
        if (options.clock) {
            const TimePoint fixed = localMoment(*options.clock);
            settings.clock = [fixed] { return fixed; };
        }
        settings.log = [](const std::string& line) { HttpServer::writeLog(std::cerr, line); };
        Site site(pages, storage, settings);

        HttpServerOptions http;
        http.host = options.host;
        http.port = options.port;
        http.threads = options.threads;
        http.connectionsPerAddress = options.connectionsPerAddress;
        HttpServer server(
            http, [&site](const HttpRequest& request) { return site.handle(request); }, std::cerr);
        if (!server.start()) {
            std::cerr << "qob-site: " << server.error() << "\n";
            return 1;
        }
        const bool v6 = options.host.find(':') != std::string::npos;
        std::cout << "qob-site listening on http://" << (v6 ? "[" : "") << options.host
                  << (v6 ? "]" : "") << ":" << server.port() << "/qob/ (database "
                  << databaseKind(options.database) << ", pages " << pagesFolder.string() << ")"
                  << std::endl;

        int signal = 0;
        sigwait(&stopSignals, &signal);
        server.stop();
        std::cout << "qob-site stopped" << std::endl;
    } catch (const std::exception& e) {
        std::cerr << "qob-site: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
