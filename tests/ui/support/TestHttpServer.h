#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <utility>

class QTcpSocket;

namespace qob::test {

// A small HTTP/1.1 server on 127.0.0.1 for the window tests. It runs on the event loop of
// the thread that owns it, answers one request per connection from the routes the test
// registered (404 for anything else) and remembers every request target exactly as the
// client sent it.
class TestHttpServer : public QObject {
    Q_OBJECT

  public:
    struct Response {
        int status = 200;
        QByteArray contentType = "text/html; charset=utf-8";
        QByteArray body;
        // Extra header lines, such as {"Location", "/elsewhere"} for a redirect.
        QList<std::pair<QByteArray, QByteArray>> headers;
        // The answer leaves this long after the request arrived.
        int delayMs = 0;
    };

    explicit TestHttpServer(QObject* parent = nullptr);
    ~TestHttpServer() override;

    // Listens on 127.0.0.1 on a free port.
    bool start();
    // Stops listening and drops every open connection.
    void stop();
    bool isListening() const { return m_server.isListening(); }
    quint16 port() const { return m_port; }
    // "http://127.0.0.1:<port>", without a trailing "/".
    QString baseUrl() const;

    // Routes match the path of the request target, the part before "?", byte for byte.
    void setRoute(const QByteArray& path, const Response& response);
    void setPage(const QByteArray& path, const QByteArray& html);

    // The request targets (the bytes between the method and the HTTP version), in order.
    QList<QByteArray> requestTargets() const { return m_targets; }
    void clearRequests() { m_targets.clear(); }

    // A port on 127.0.0.1 where nothing listens, so that a connection there is refused.
    static quint16 refusingPort();

  signals:
    void requestReceived(const QByteArray& target);
    // The server has answered the request, or would have if the client had not left first.
    void answered(const QByteArray& target, bool delivered);

  private:
    void onNewConnection();
    void onReadyRead(QTcpSocket* socket);
    void writeResponse(QTcpSocket* socket, const Response& response, bool withBody);

    QTcpServer m_server;
    quint16 m_port = 0;
    QHash<QByteArray, Response> m_routes;
    QList<QByteArray> m_targets;
    // Connections whose request has not been read whole yet, with what came so far.
    QHash<QTcpSocket*, QByteArray> m_pending;
};

}  // namespace qob::test
