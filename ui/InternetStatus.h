#pragma once

#include <QUrl>

namespace qob {

// The connectivity probe: is the game's website reachable from here?
class InternetStatus {
  public:
    static constexpr int Online = 2;
    static constexpr int Offline = 0;
    static constexpr int DefaultTimeoutMs = 2000;

    // Returns Online (2) when the game's website answers at `site` as itself: a GET of
    // kSitePingPath after the site's address (on its port: the explicit one, else 80 for
    // http and 443 for https) answered with status 200, the site's header and the site's
    // body, all within `timeoutMs`, host lookup included. Anything else (no answer, a server
    // that is not the site, a proxy that takes every connection) is Offline. Blocks the
    // calling thread for at most about `timeoutMs` and runs no events meanwhile; no proxy is
    // used.
    static int intstatus(const QUrl& site, int timeoutMs = DefaultTimeoutMs);
};

}  // namespace qob
