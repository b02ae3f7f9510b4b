#include "SiteOptions.h"

#include <charconv>

#include "HttpServer.h"
#include "RecordExtras.h"
#include "Site.h"

namespace qob::site {

namespace {

template <class Number>
bool parseNumber(const std::string& text, Number low, Number high, Number& out) {
    Number n{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (error != std::errc() || end != text.data() + text.size() || n < low || n > high)
        return false;
    out = n;
    return true;
}

// "ADDRESS:PORT", the address of IPv6 in brackets.
bool parseListen(const std::string& text, SiteOptions& options) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos) return false;
    std::string host = text.substr(0, colon);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    unsigned port = 0;
    if (host.empty() || !parseNumber(text.substr(colon + 1), 0u, 65535u, port)) return false;
    options.host = host;
    options.port = static_cast<std::uint16_t>(port);
    return true;
}

}  // namespace

std::string siteUsage() {
    const HttpServerOptions http;
    return "usage: qob-site [OPTION]...\n"
           "\n"
           "The website of 霁虹珠台 QOB: the game's help pages, the ranking, and the page\n"
           "that takes the score records the game publishes.\n"
           "\n"
           "options:\n"
           "  --listen ADDRESS:PORT     where to listen (default 127.0.0.1:8600; [::1]:8600\n"
           "                            for IPv6; port 0 takes a free port)\n"
           "  --db sqlite:PATH          the scores in an SQLite file (default\n"
           "                            sqlite:qob-site.db in the working folder)\n"
           "  --db postgresql://...     the scores in PostgreSQL (a libpq URI)\n"
           "  --pages FOLDER            the game's help pages (default: the help folder\n"
           "                            beside this program)\n"
           "  --publications-per-minute N\n"
           "                            publications one client address may make in a\n"
           "                            minute (default 10; 0 for no limit)\n"
           "  --trust-proxy             a reverse proxy stands in front: the client is\n"
           "                            the last address of X-Forwarded-For\n"
           "  --threads N               threads that answer requests (default 4)\n"
           "  --connections-per-address N\n"
           "                            open connections one address may hold (default " +
           std::to_string(http.connectionsPerAddress) +
           ";\n"
           "                            0 for no limit)\n"
           "  --clock 'YYYY-M-D H:MM:SS'\n"
           "                            for tests: the site's clock stands still at this\n"
           "                            local time\n"
           "  --help                    this text\n"
           "\n"
           "Limits: a score record of at most " +
           std::to_string(kScoreRecordLimit) + " bytes; a request target of at most " +
           std::to_string(longestPublicationTarget()) +
           " bytes\n(the record with every byte written as %XX). A request line and headers\n"
           "that do not fit in " +
           std::to_string(http.connectionMemory) +
           " bytes are refused before they are read whole.\n"
           "\n"
           "One log line per request on standard error: time (UTC), client, method,\n"
           "target (shortened), status, duration.\n";
}

ParsedOptions parseSiteOptions(const std::vector<std::string>& arguments) {
    SiteOptions options;
    ParsedOptions parsed;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        if (option == "--help" || option == "-h") return parsed;
        if (option == "--trust-proxy") {
            options.trustProxy = true;
            continue;
        }
        if (i + 1 >= arguments.size()) {
            parsed.error = option.rfind("--", 0) == 0 ? option + " needs a value"
                                                      : "unknown argument " + option;
            return parsed;
        }
        const std::string& value = arguments[++i];
        bool ok = true;
        if (option == "--listen")
            ok = parseListen(value, options);
        else if (option == "--db")
            options.database = value;
        else if (option == "--pages")
            options.pages = value;
        else if (option == "--publications-per-minute")
            ok = parseNumber<std::int64_t>(value, 0, 1'000'000'000, options.publicationsPerMinute);
        else if (option == "--threads")
            ok = parseNumber(value, 1u, 256u, options.threads);
        else if (option == "--connections-per-address")
            ok = parseNumber(value, 0u, 100000u, options.connectionsPerAddress);
        else if (option == "--clock")
            ok = (options.clock = DateTime::parse(value)).has_value();
        else {
            parsed.error = "unknown option " + option;
            return parsed;
        }
        if (!ok) {
            parsed.error = "bad value for " + option + ": " + value;
            return parsed;
        }
    }
    parsed.options = options;
    return parsed;
}

}  // namespace qob::site
