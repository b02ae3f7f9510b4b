#pragma once
// The game's website: what each address under /qob/ answers.
//
//   /qob/ping                      tells the game that this is its website
//   /qob/ssindex.htm, ssrule.htm, ssdownload.htm
//                                  the game's help pages
//   /qob/sslist.htm[?mode=game|sport|lim][&period=today|week|all]
//                                  the ranking
//   /qob/list/?act=viewform&reccode=RECORD
//                                  publishes a score record

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "HttpServer.h"
#include "Pages.h"
#include "SiteTime.h"
#include "StoragePool.h"

namespace qob::site {

// A ranking table holds this many records.
inline constexpr int kRankingSize = 50;

struct SiteSettings {
    // Publications one client address may make in one minute; 0: no limit.
    std::int64_t publicationsPerMinute = 10;
    // The server stands behind a reverse proxy that names the client in the last entry of
    // X-Forwarded-For.
    bool trustProxy = false;
    SiteClock clock = [] { return std::chrono::system_clock::now(); };
    // Where the site reports what goes wrong beside a request (a database that fails).
    std::function<void(const std::string&)> log;
};

// The longest request target a publication can need: the path, and each byte of the
// largest score record written as %XX.
std::size_t longestPublicationTarget();

class Site {
  public:
    Site(const Pages& pages, StoragePool& storage, SiteSettings settings);

    HttpResponse handle(const HttpRequest& request);

  private:
    HttpResponse route(const HttpRequest& request);
    HttpResponse publish(const HttpRequest& request, std::string_view query);
    HttpResponse ranking(std::string_view query);
    HttpResponse refusal(const std::string& reason);
    std::string clientOf(const HttpRequest& request) const;

    const Pages& pages_;
    StoragePool& storage_;
    SiteSettings settings_;
};

}  // namespace qob::site
