#pragma once
// qob-site's command line.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "DateTime.h"

namespace qob::site {

struct SiteOptions {
    std::string host = "127.0.0.1";
    std::uint16_t port = 8600;
    std::string database = "sqlite:qob-site.db";
    std::string pages;  // empty: the help folder beside the program
    std::int64_t publicationsPerMinute = 10;
    bool trustProxy = false;
    unsigned threads = 4;
    unsigned connectionsPerAddress = 64;
    std::optional<DateTime> clock;  // the site's clock stands still here (local time)
};

struct ParsedOptions {
    std::optional<SiteOptions> options;  // nothing: help was asked for, or an error
    std::string error;                   // empty when help was asked for
};

ParsedOptions parseSiteOptions(const std::vector<std::string>& arguments);

// The text of --help.
std::string siteUsage();

}  // namespace qob::site
