#include "InternetStatus.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QList>
#include <QNetworkProxy>
#include <QTcpSocket>

#include <chrono>
#include <cstring>
#include <future>
#include <memory>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#ifdef Q_OS_WIN
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <netdb.h>
#include <sys/socket.h>
#include <sys/types.h>
#endif

namespace qob {

namespace {

int defaultPort(const QString& scheme) {
    if (scheme.compare(QLatin1String("http"), Qt::CaseInsensitive) == 0) return 80;
    if (scheme.compare(QLatin1String("https"), Qt::CaseInsensitive) == 0) return 443;
    return -1;
}

// The addresses of `host` as the system resolver gives them. Runs on its own thread: the
// resolver cannot be interrupted, so the caller stops waiting for it instead. The thread
// touches nothing but its own copy of the name and the shared result.
std::vector<sockaddr_storage> resolve(const std::string& host) {
    std::vector<sockaddr_storage> found;
#ifdef Q_OS_WIN
    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return found;
#endif
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &list) == 0) {
        for (addrinfo* ai = list; ai != nullptr; ai = ai->ai_next) {
            if (ai->ai_family != AF_INET && ai->ai_family != AF_INET6) continue;
            sockaddr_storage address{};
            std::memcpy(&address, ai->ai_addr, ai->ai_addrlen);
            found.push_back(address);
        }
        freeaddrinfo(list);
    }
#ifdef Q_OS_WIN
    WSACleanup();
#endif
    return found;
}

// Looks the host up, giving up when the deadline passes.
QList<QHostAddress> lookUp(const QString& host, const QDeadlineTimer& deadline) {
    const QHostAddress literal(host);
    if (!literal.isNull()) return {literal};

    auto promise = std::make_shared<std::promise<std::vector<sockaddr_storage>>>();
    std::future<std::vector<sockaddr_storage>> result = promise->get_future();
    try {
        std::thread([promise, name = host.toStdString()] {
            promise->set_value(resolve(name));
        }).detach();
    } catch (const std::system_error&) {
        return {};
    }
    if (result.wait_for(std::chrono::milliseconds(deadline.remainingTime())) !=
        std::future_status::ready)
        return {};

    QList<QHostAddress> addresses;
    for (const sockaddr_storage& address : result.get())
        addresses.append(QHostAddress(reinterpret_cast<const sockaddr*>(&address)));
    return addresses;
}

}  // namespace

int InternetStatus::intstatus(const QUrl& site, int timeoutMs) {
    const QDeadlineTimer deadline(qMax(timeoutMs, 0));
    const QString host = site.host();
    const int port = site.port(defaultPort(site.scheme()));
    if (!site.isValid() || host.isEmpty() || port <= 0) return Offline;

    for (const QHostAddress& address : lookUp(host, deadline)) {
        const qint64 remaining = deadline.remainingTime();
        if (remaining <= 0) break;
        QTcpSocket socket;
        socket.setProxy(QNetworkProxy::NoProxy);
        socket.connectToHost(address, static_cast<quint16>(port));
        if (socket.waitForConnected(static_cast<int>(remaining))) {
            socket.abort();
            return Online;
        }
    }
    return Offline;
}

}  // namespace qob
