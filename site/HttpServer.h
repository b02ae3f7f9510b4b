#pragma once
// The HTTP server under the site, on libmicrohttpd: a pool of threads that hand each
// request, with its target exactly as the client sent it, to one handler, and write one
// log line per request.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct MHD_Daemon;

namespace qob::site {

struct HttpRequest {
    std::string method;
    std::string target;         // as sent, still percent-encoded
    std::string clientAddress;  // of the connection's other end
    // A request header by name (any case); nothing when absent.
    std::function<std::optional<std::string>(const char* name)> header;
};

struct HttpResponse {
    int status = 200;
    std::string contentType = "text/html; charset=utf-8";
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
};

using HttpHandler = std::function<HttpResponse(const HttpRequest&)>;

struct HttpServerOptions {
    std::string host = "127.0.0.1";  // an IPv4 or IPv6 address
    std::uint16_t port = 8600;       // 0: a free port
    unsigned threads = 4;
    // Memory for one connection, which holds its request line and headers: a request
    // whose line and headers do not fit is answered 414 or 431 before it is read whole.
    std::size_t connectionMemory = 256 * 1024;
    unsigned connectionLimit = 256;
    unsigned connectionsPerAddress = 64;  // 0: no limit
    unsigned timeoutSeconds = 15;
};

class HttpServer {
  public:
    // Log lines go to `log`, which must outlive the server.
    HttpServer(HttpServerOptions options, HttpHandler handler, std::ostream& log);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Starts listening; false with a reason in error() when it cannot.
    bool start();
    void stop();
    std::uint16_t port() const { return port_; }
    const std::string& error() const { return error_; }

    // Writes one line, after the time, to a log that server threads share.
    static void writeLog(std::ostream& log, const std::string& text);
    // What the log line shows of a request target: its start and its length.
    static std::string shortTarget(std::string_view target);

    struct Exchange;  // one request on its way through the server

  private:
    friend struct HttpServerCallbacks;

    HttpServerOptions options_;
    HttpHandler handler_;
    std::ostream& log_;
    MHD_Daemon* daemon_ = nullptr;
    std::uint16_t port_ = 0;
    std::string error_;
};

}  // namespace qob::site
