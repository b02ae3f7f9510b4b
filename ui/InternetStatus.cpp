#include "InternetStatus.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QList>
#include <QNetworkProxy>
#include <QSslSocket>

#include <chrono>
#include <cstring>
#include <future>
#include <memory>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "SitePing.h"

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

// The site's answer is a few dozen bytes; nothing longer is read.
constexpr qsizetype kAnswerLimit = 4096;

int remainingMs(const QDeadlineTimer& deadline) {
    return static_cast<int>(qMax<qint64>(deadline.remainingTime(), 0));
}

// A whole answer: its head, and as much body as its Content-Length says.
bool isComplete(const QByteArray& answer) {
    const qsizetype headEnd = answer.indexOf("\r\n\r\n");
    if (headEnd < 0) return false;
    for (const QByteArray& line : answer.left(headEnd).split('\n')) {
        const QByteArray trimmed = line.trimmed();
        if (trimmed.toLower().startsWith("content-length:"))
            return answer.size() - headEnd - 4 >= trimmed.mid(15).trimmed().toLongLong();
    }
    return false;  // read to the end of the connection
}

// The answer is the site's own: status 200, the site's header and the site's body.
bool isTheSitesAnswer(const QByteArray& answer) {
    const qsizetype headEnd = answer.indexOf("\r\n\r\n");
    if (headEnd < 0) return false;
    const QList<QByteArray> lines = answer.left(headEnd).split('\n');
    const QList<QByteArray> status = lines.front().trimmed().split(' ');
    if (status.size() < 2 || !status[0].startsWith("HTTP/1.") || status[1] != "200") return false;
    const QByteArray header = QByteArray(kSitePingHeader).toLower() + ':';
    bool marked = false;
    for (const QByteArray& line : lines.mid(1)) {
        const QByteArray trimmed = line.trimmed();
        if (trimmed.toLower().startsWith(header))
            marked = trimmed.mid(header.size()).trimmed() == kSitePingHeaderValue;
    }
    return marked && answer.mid(headEnd + 4) == kSitePingBody;
}

// Asks the site at one address; false when the answer is not the site's or does not come
// before the deadline.
bool askSite(QSslSocket& socket, const QUrl& site, const QDeadlineTimer& deadline) {
    const bool secure = site.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
    const int port = site.port(defaultPort(site.scheme()));
    if (secure && !socket.waitForEncrypted(remainingMs(deadline))) return false;
    if (!secure && !socket.waitForConnected(remainingMs(deadline))) return false;

    const QByteArray path = site.path(QUrl::FullyEncoded).toUtf8() + kSitePingPath;
    QByteArray hostHeader = site.host(QUrl::FullyEncoded).toUtf8();
    if (hostHeader.contains(':')) hostHeader = '[' + hostHeader + ']';
    if (site.port() > 0) hostHeader += ':' + QByteArray::number(port);
    socket.write("GET " + path + " HTTP/1.1\r\nHost: " + hostHeader +
                 "\r\nUser-Agent: qob\r\nConnection: close\r\n\r\n");

    QByteArray answer;
    while (answer.size() <= kAnswerLimit && !isComplete(answer)) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(remainingMs(deadline))) {
            // The server closed after its answer, or the time is up.
            if (socket.state() == QAbstractSocket::ConnectedState) return false;
            answer += socket.readAll();
            break;
        }
        answer += socket.read(kAnswerLimit + 1 - answer.size());
    }
    return answer.size() <= kAnswerLimit && isTheSitesAnswer(answer);
}

}  // namespace

int InternetStatus::intstatus(const QUrl& site, int timeoutMs) {
    const QDeadlineTimer deadline(qMax(timeoutMs, 0));
    const QString host = site.host();
    const int port = site.port(defaultPort(site.scheme()));
    if (!site.isValid() || host.isEmpty() || port <= 0) return Offline;
    const bool secure = site.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;

    for (const QHostAddress& address : lookUp(host, deadline)) {
        if (deadline.hasExpired()) break;
        QSslSocket socket;
        socket.setProxy(QNetworkProxy::NoProxy);
        if (secure) {
            // The address found, the certificate checked against the site's name.
            socket.connectToHostEncrypted(address.toString(), static_cast<quint16>(port), host);
        } else {
            socket.connectToHost(address, static_cast<quint16>(port));
        }
        const bool answered = askSite(socket, site, deadline);
        socket.abort();
        if (answered) return Online;
    }
    return Offline;
}

}  // namespace qob
