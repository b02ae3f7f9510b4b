#include "TestHttpServer.h"

#include <QHostAddress>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

namespace qob::test {

namespace {

constexpr qsizetype kMaxRequestHead = 64 * 1024;

QByteArray reasonPhrase(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 301:
            return "Moved Permanently";
        case 302:
            return "Found";
        case 303:
            return "See Other";
        case 307:
            return "Temporary Redirect";
        case 400:
            return "Bad Request";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 431:
            return "Request Header Fields Too Large";
        case 500:
            return "Internal Server Error";
        case 503:
            return "Service Unavailable";
        default:
            return "Status";
    }
}

TestHttpServer::Response plainError(int status) {
    TestHttpServer::Response response;
    response.status = status;
    response.body = "<html><body><h1>" + QByteArray::number(status) + " " + reasonPhrase(status) +
                    "</h1></body></html>";
    return response;
}

}  // namespace

TestHttpServer::TestHttpServer(QObject* parent) : QObject(parent) {
    connect(&m_server, &QTcpServer::newConnection, this, &TestHttpServer::onNewConnection);
}

TestHttpServer::~TestHttpServer() {
    stop();
}

bool TestHttpServer::start() {
    if (m_server.isListening()) return true;
    if (!m_server.listen(QHostAddress::LocalHost, 0)) return false;
    m_port = m_server.serverPort();
    return true;
}

void TestHttpServer::stop() {
    m_server.close();
    m_pending.clear();
    // Accepted sockets are children of the listening server.
    const auto sockets = m_server.findChildren<QTcpSocket*>();
    for (QTcpSocket* socket : sockets) {
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
}

QString TestHttpServer::baseUrl() const {
    return QStringLiteral("http://127.0.0.1:%1").arg(m_port);
}

void TestHttpServer::setRoute(const QByteArray& path, const Response& response) {
    m_routes.insert(path, response);
}

void TestHttpServer::setPage(const QByteArray& path, const QByteArray& html) {
    Response response;
    response.body = html;
    setRoute(path, response);
}

quint16 TestHttpServer::refusingPort() {
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0)) return 0;
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

void TestHttpServer::onNewConnection() {
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        m_pending.insert(socket, QByteArray());
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_pending.remove(socket);
            socket->deleteLater();
        });
    }
}

void TestHttpServer::onReadyRead(QTcpSocket* socket) {
    auto it = m_pending.find(socket);
    if (it == m_pending.end()) {
        // Already answered or being answered: one request per connection.
        socket->readAll();
        return;
    }
    it->append(socket->readAll());
    // A head too long is refused whether it came in pieces or in one read.
    const qsizetype headEnd = it->indexOf("\r\n\r\n");
    if ((headEnd < 0 ? it->size() : headEnd) > kMaxRequestHead) {
        m_pending.erase(it);
        writeResponse(socket, plainError(431), true);
        return;
    }
    if (headEnd < 0) return;
    const QByteArray requestLine = it->left(it->indexOf("\r\n"));
    m_pending.erase(it);

    // "METHOD SP request-target SP HTTP-version"; the target is taken as sent.
    const qsizetype first = requestLine.indexOf(' ');
    const qsizetype last = requestLine.lastIndexOf(' ');
    if (first <= 0 || last <= first + 1 || !requestLine.mid(last + 1).startsWith("HTTP/")) {
        writeResponse(socket, plainError(400), true);
        return;
    }
    const QByteArray method = requestLine.left(first);
    const QByteArray target = requestLine.mid(first + 1, last - first - 1);
    m_targets.append(target);
    emit requestReceived(target);

    const qsizetype query = target.indexOf('?');
    const QByteArray path = query < 0 ? target : target.left(query);
    const Response response = m_routes.value(path, plainError(404));
    const bool withBody = method != "HEAD";
    if (response.delayMs <= 0) {
        writeResponse(socket, response, withBody);
        emit answered(target, true);
        return;
    }
    QTimer::singleShot(response.delayMs, this,
                       [this, socket = QPointer<QTcpSocket>(socket), response, target, withBody] {
                           const bool open =
                               socket && socket->state() == QAbstractSocket::ConnectedState;
                           if (open) writeResponse(socket, response, withBody);
                           emit answered(target, open);
                       });
}

void TestHttpServer::writeResponse(QTcpSocket* socket, const Response& response, bool withBody) {
    QByteArray out = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' +
                     reasonPhrase(response.status) + "\r\n";
    if (!response.contentType.isEmpty()) out += "Content-Type: " + response.contentType + "\r\n";
    out += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    for (const auto& [name, value] : response.headers)
        out += name + ": " + value + "\r\n";
    out += "Connection: close\r\n\r\n";
    if (withBody) out += response.body;
    socket->write(out);
    // Closes once everything written has left.
    socket->disconnectFromHost();
}

}  // namespace qob::test
