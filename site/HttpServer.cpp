#include "HttpServer.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "SiteTime.h"

namespace qob::site {

struct HttpServer::Exchange {
    std::string target;
    std::string client;
    std::string method;
    std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
    int status = 0;
};

namespace {

std::mutex logMutex;

std::string addressText(const sockaddr* address) {
    char text[INET6_ADDRSTRLEN] = "";
    if (address == nullptr) return "-";
    if (address->sa_family == AF_INET)
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(address)->sin_addr, text,
                  sizeof text);
    else if (address->sa_family == AF_INET6)
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr, text,
                  sizeof text);
    return text[0] != '\0' ? text : "-";
}

void writeLine(std::ostream& log, const std::string& line) {
    const std::lock_guard lock(logMutex);
    log << line << '\n' << std::flush;
}

std::string nowText() {
    return sortableText(utcDateTime(std::chrono::system_clock::now())) + "Z";
}

}  // namespace

struct HttpServerCallbacks {
    // Called once a request line has been read, before the target is taken apart.
    static void* begin(void* cls, const char* uri, MHD_Connection* connection) {
        (void)cls;
        auto* exchange = new HttpServer::Exchange;
        exchange->target = uri != nullptr ? uri : "";
        const MHD_ConnectionInfo* info =
            MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
        exchange->client = addressText(info != nullptr ? info->client_addr : nullptr);
        return exchange;
    }

    static MHD_Result answer(void* cls, MHD_Connection* connection, const char* url,
                             const char* method, const char* version, const char* uploadData,
                             size_t* uploadDataSize, void** context) {
        (void)url;
        (void)version;
        (void)uploadData;
        auto* server = static_cast<HttpServer*>(cls);
        auto* exchange = static_cast<HttpServer::Exchange*>(*context);
        if (exchange == nullptr) return MHD_NO;
        if (exchange->status != 0) {
            // A body after the answer is passed over.
            *uploadDataSize = 0;
            return MHD_YES;
        }
        exchange->method = method != nullptr ? method : "";

        HttpRequest request;
        request.method = exchange->method;
        request.target = exchange->target;
        request.clientAddress = exchange->client;
        request.header = [connection](const char* name) -> std::optional<std::string> {
            const char* value = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, name);
            if (value == nullptr) return std::nullopt;
            return std::string(value);
        };

        HttpResponse reply;
        try {
            reply = server->handler_(request);
        } catch (const std::exception& e) {
            HttpServer::writeLog(server->log_, std::string("error: ") + e.what());
            reply = HttpResponse{500, "text/plain; charset=utf-8", "internal error\n", {}};
        }

        MHD_Response* response = MHD_create_response_from_buffer(
            reply.body.size(), reply.body.data(), MHD_RESPMEM_MUST_COPY);
        if (response == nullptr) return MHD_NO;
        MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, reply.contentType.c_str());
        for (const auto& [name, value] : reply.headers)
            MHD_add_response_header(response, name.c_str(), value.c_str());
        exchange->status = reply.status;
        const MHD_Result queued =
            MHD_queue_response(connection, static_cast<unsigned>(reply.status), response);
        MHD_destroy_response(response);
        return queued;
    }

    static void end(void* cls, MHD_Connection* connection, void** context,
                    MHD_RequestTerminationCode code) {
        (void)connection;
        auto* server = static_cast<HttpServer*>(cls);
        auto* exchange = static_cast<HttpServer::Exchange*>(*context);
        if (exchange == nullptr) return;
        *context = nullptr;
        const auto took = std::chrono::duration<double, std::milli>(
                              std::chrono::steady_clock::now() - exchange->started)
                              .count();
        char duration[32];
        std::snprintf(duration, sizeof duration, "%.1fms", took);
        std::string line = nowText() + " " + exchange->client + " " +
                           (exchange->method.empty() ? std::string("-") : exchange->method) + " " +
                           HttpServer::shortTarget(exchange->target) + " " +
                           (exchange->status != 0 ? std::to_string(exchange->status) : "-") + " " +
                           duration;
        if (code != MHD_REQUEST_TERMINATED_COMPLETED_OK) line += " (not completed)";
        writeLine(server->log_, line);
        delete exchange;
    }

    static void library(void* cls, const char* format, va_list arguments) {
        auto* server = static_cast<HttpServer*>(cls);
        char text[512];
        std::vsnprintf(text, sizeof text, format, arguments);
        std::string message = text;
        while (!message.empty() && (message.back() == '\n' || message.back() == '\r'))
            message.pop_back();
        HttpServer::writeLog(server->log_, "http: " + message);
    }
};

HttpServer::HttpServer(HttpServerOptions options, HttpHandler handler, std::ostream& log)
    : options_(std::move(options)), handler_(std::move(handler)), log_(log) {}

HttpServer::~HttpServer() {
    stop();
}

bool HttpServer::start() {
    sockaddr_in v4{};
    sockaddr_in6 v6{};
    const sockaddr* address = nullptr;
    unsigned flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_AUTO | MHD_USE_ERROR_LOG;
    if (inet_pton(AF_INET, options_.host.c_str(), &v4.sin_addr) == 1) {
        v4.sin_family = AF_INET;
        v4.sin_port = htons(options_.port);
        address = reinterpret_cast<const sockaddr*>(&v4);
    } else if (inet_pton(AF_INET6, options_.host.c_str(), &v6.sin6_addr) == 1) {
        v6.sin6_family = AF_INET6;
        v6.sin6_port = htons(options_.port);
        address = reinterpret_cast<const sockaddr*>(&v6);
        flags |= MHD_USE_IPv6;
    } else {
        error_ = "not an IP address: " + options_.host;
        return false;
    }

    daemon_ = MHD_start_daemon(
        flags, options_.port, nullptr, nullptr, &HttpServerCallbacks::answer, this,
        MHD_OPTION_EXTERNAL_LOGGER, &HttpServerCallbacks::library, this, MHD_OPTION_SOCK_ADDR,
        address, MHD_OPTION_THREAD_POOL_SIZE, options_.threads, MHD_OPTION_CONNECTION_MEMORY_LIMIT,
        options_.connectionMemory, MHD_OPTION_CONNECTION_LIMIT, options_.connectionLimit,
        MHD_OPTION_PER_IP_CONNECTION_LIMIT, options_.connectionsPerAddress,
        MHD_OPTION_CONNECTION_TIMEOUT, options_.timeoutSeconds, MHD_OPTION_URI_LOG_CALLBACK,
        &HttpServerCallbacks::begin, this, MHD_OPTION_NOTIFY_COMPLETED, &HttpServerCallbacks::end,
        this, MHD_OPTION_END);
    if (daemon_ == nullptr) {
        error_ = "cannot listen on " + options_.host + ":" + std::to_string(options_.port) + ": " +
                 std::strerror(errno);
        return false;
    }
    const MHD_DaemonInfo* info = MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_BIND_PORT);
    port_ = info != nullptr ? info->port : options_.port;
    return true;
}

void HttpServer::stop() {
    if (daemon_ != nullptr) MHD_stop_daemon(daemon_);
    daemon_ = nullptr;
}

void HttpServer::writeLog(std::ostream& log, const std::string& text) {
    writeLine(log, nowText() + " " + text);
}

std::string HttpServer::shortTarget(std::string_view target) {
    constexpr std::size_t kShown = 80;
    // Only printable ASCII reaches the log, so a target cannot forge a line of its own.
    std::string shown(target.substr(0, kShown));
    for (char& c : shown)
        if (c < 0x20 || c > 0x7E) c = '?';
    if (target.size() <= kShown) return shown;
    return shown + "...(" + std::to_string(target.size()) + " bytes)";
}

}  // namespace qob::site
