#pragma once

#include <QUrl>

namespace qob {

// The connectivity probe: is the game's website reachable from here?
class InternetStatus {
  public:
    static constexpr int Online = 2;
    static constexpr int Offline = 0;
    static constexpr int DefaultTimeoutMs = 2000;

    // Returns Online (2) when the host of `site` accepts a TCP connection on the site's port
    // (the explicit one, else 80 for http and 443 for https) within `timeoutMs`, host lookup
    // included, and Offline otherwise. Blocks the calling thread for at most about
    // `timeoutMs` and runs no events meanwhile; no proxy is used.
    static int intstatus(const QUrl& site, int timeoutMs = DefaultTimeoutMs);
};

}  // namespace qob
