#pragma once
// How the game tells its website from any other server: the website answers a GET of
// kSitePingPath (after its base address) with status 200, the header kSitePingHeader
// holding kSitePingHeaderValue, and exactly kSitePingBody. Nothing else answers so.

namespace qob {

inline constexpr const char* kSitePingPath = "/qob/ping";
inline constexpr const char* kSitePingHeader = "X-Qob-Site";
inline constexpr const char* kSitePingHeaderValue = "qob-site/1";
inline constexpr const char* kSitePingBody = "qob-site ok\n";

}  // namespace qob
