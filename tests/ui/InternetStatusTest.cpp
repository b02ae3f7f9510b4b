#include <QElapsedTimer>
#include <QHostAddress>
#include <QHostInfo>
#include <QSemaphore>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <atomic>
#include <memory>
#include <vector>

#include "InternetStatus.h"
#include "SitePing.h"
#include "SiteProcess.h"
#include "TestHttpServer.h"

using qob::InternetStatus;
using qob::test::SiteProcess;
using qob::test::TestDatabase;
using qob::test::TestHttpServer;

namespace {

// An HTTP server on its own thread (the probe runs no events on the test's) that answers
// every request with the same bytes, or never answers at all.
class CannedServer : public QThread {
  public:
    explicit CannedServer(QByteArray answer) : m_answer(std::move(answer)) {
        start();
        m_ready.acquire();
    }
    ~CannedServer() override {
        m_stop = true;
        wait();
    }
    quint16 port() const { return m_port; }

  protected:
    void run() override {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost, 0);
        m_port = server.serverPort();
        m_ready.release();
        std::vector<std::unique_ptr<QTcpSocket>> held;
        while (!m_stop) {
            if (!server.waitForNewConnection(20)) continue;
            std::unique_ptr<QTcpSocket> socket(server.nextPendingConnection());
            QByteArray request;
            while (!request.contains("\r\n\r\n") && socket->waitForReadyRead(1000))
                request += socket->readAll();
            if (m_answer.isEmpty()) {
                held.push_back(std::move(socket));  // stays silent
                continue;
            }
            socket->write(m_answer);
            socket->waitForBytesWritten(1000);
            socket->disconnectFromHost();
            if (socket->state() != QAbstractSocket::UnconnectedState)
                socket->waitForDisconnected(1000);
        }
    }

  private:
    QByteArray m_answer;
    QSemaphore m_ready;
    std::atomic<bool> m_stop{false};
    quint16 m_port = 0;
};

QByteArray answer(const QByteArray& status, const QByteArray& headers, const QByteArray& body) {
    return "HTTP/1.1 " + status + "\r\n" + headers +
           "Content-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" +
           body;
}

const QByteArray kSiteHeader =
    QByteArray(qob::kSitePingHeader) + ": " + qob::kSitePingHeaderValue + "\r\n";

}  // namespace

class InternetStatusTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void cleanupTestCase();
    void reachability_data();
    void reachability();
    void onlyTheSiteCountsAsOnline_data();
    void onlyTheSiteCountsAsOnline();
    void unresolvableHostGivesUpInTime();
    void silentHostGivesUpAtTheDeadline();
    void runsNoEventsWhileWaiting();

  private:
    std::unique_ptr<TestDatabase> m_database;
    std::unique_ptr<SiteProcess> m_site;  // on 127.0.0.1
};

void InternetStatusTest::initTestCase() {
    m_database = std::make_unique<TestDatabase>();
    m_site = std::make_unique<SiteProcess>(m_database->address());
    QVERIFY2(m_site->isRunning(), m_site->log().c_str());
}

void InternetStatusTest::cleanupTestCase() {
    m_site.reset();
    m_database.reset();
}

void InternetStatusTest::reachability_data() {
    QTest::addColumn<QString>("site");
    // Where a site of its own listens, when the row needs one; a name that resolves to both
    // families reaches it however the system orders the two.
    QTest::addColumn<QString>("listenOn");
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("withinMs");

    QTest::newRow("the site, by address") << "http://127.0.0.1:%SITE%"
                                          << "" << 2 << 2000;
    QTest::newRow("the site, by name") << "http://localhost:%SITE%"
                                       << "" << 2 << 2000;
    QTest::newRow("the site on IPv6 only, by name") << "http://localhost:%PORT%"
                                                    << "::1" << 2 << 2000;
    QTest::newRow("the site's host, another folder") << "http://127.0.0.1:%SITE%/elsewhere"
                                                     << "" << 0 << 2000;
    QTest::newRow("refused") << "http://127.0.0.1:%REFUSING%"
                             << "" << 0 << 500;
    QTest::newRow("refused, by name") << "http://localhost:%REFUSING%"
                                      << "" << 0 << 500;
    QTest::newRow("no address") << ""
                                << "" << 0 << 100;
    QTest::newRow("no host") << "http:///qob"
                             << "" << 0 << 100;
    QTest::newRow("scheme without a known port") << "gopher://127.0.0.1"
                                                 << "" << 0 << 100;
}

void InternetStatusTest::reachability() {
    QFETCH(QString, site);
    QFETCH(QString, listenOn);
    QFETCH(int, expected);
    QFETCH(int, withinMs);
    std::unique_ptr<SiteProcess> own;
    if (!listenOn.isEmpty()) {
        const QHostAddress address(listenOn);
        if (!QHostInfo::fromName(QStringLiteral("localhost")).addresses().contains(address))
            QSKIP("localhost has no such address here");
        own = std::make_unique<SiteProcess>(m_database->address(), std::vector<std::string>{},
                                            "[" + listenOn.toStdString() + "]:0");
        QVERIFY2(own->isRunning(), own->log().c_str());
        site.replace(QLatin1String("%PORT%"), QString::number(own->port()));
    }
    site.replace(QLatin1String("%SITE%"), QString::number(m_site->port()));
    site.replace(QLatin1String("%REFUSING%"), QString::number(TestHttpServer::refusingPort()));

    QElapsedTimer clock;
    clock.start();
    const int status = InternetStatus::intstatus(QUrl(site));

    QCOMPARE(status, expected);
    QVERIFY2(clock.elapsed() < withinMs, qPrintable(QString::number(clock.elapsed())));
}

void InternetStatusTest::onlyTheSiteCountsAsOnline_data() {
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("expected");
    const QByteArray body = qob::kSitePingBody;
    QTest::newRow("the site's answer") << answer("200 OK", kSiteHeader, body) << 2;
    QTest::newRow("a TCP listener that says nothing") << QByteArray() << 0;
    QTest::newRow("not HTTP") << QByteArray("SSH-2.0-OpenSSH_9.2\r\n") << 0;
    QTest::newRow("a page for every address") << answer("200 OK", "", "<html>welcome</html>") << 0;
    QTest::newRow("the body without the header") << answer("200 OK", "", body) << 0;
    QTest::newRow("the header without the body") << answer("200 OK", kSiteHeader, "ok") << 0;
    QTest::newRow("not found") << answer("404 Not Found", kSiteHeader, body) << 0;
    QTest::newRow("an endless answer")
        << answer("200 OK", kSiteHeader, QByteArray(100000, 'x')) << 0;
}

void InternetStatusTest::onlyTheSiteCountsAsOnline() {
    QFETCH(QByteArray, answer);
    QFETCH(int, expected);
    CannedServer server(answer);
    QElapsedTimer clock;
    clock.start();
    const int status = InternetStatus::intstatus(
        QUrl(QStringLiteral("http://127.0.0.1:%1").arg(server.port())), 500);
    QCOMPARE(status, expected);
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
}

void InternetStatusTest::unresolvableHostGivesUpInTime() {
    QElapsedTimer clock;
    clock.start();
    const int status =
        InternetStatus::intstatus(QUrl(QStringLiteral("http://nonexistent.invalid")));
    QVERIFY(status != InternetStatus::Online);
    QVERIFY2(clock.elapsed() < 2500, qPrintable(QString::number(clock.elapsed())));
}

void InternetStatusTest::silentHostGivesUpAtTheDeadline() {
    // A listener with a full accept queue drops new connection attempts without an answer,
    // the way a host behind a silent firewall does. Nothing runs this thread's event loop,
    // so nothing is accepted.
    QTcpServer listener;
    listener.setListenBacklogSize(0);
    QVERIFY(listener.listen(QHostAddress::LocalHost, 0));
    std::vector<std::unique_ptr<QTcpSocket>> queued;
    for (int i = 0; i < 4; ++i) {
        auto socket = std::make_unique<QTcpSocket>();
        socket->connectToHost(QHostAddress::LocalHost, listener.serverPort());
        const bool connected = socket->waitForConnected(200);
        queued.push_back(std::move(socket));
        if (!connected) break;
    }
    QVERIFY2(queued.back()->state() != QAbstractSocket::ConnectedState,
             "the accept queue never filled up");

    QElapsedTimer clock;
    clock.start();
    const int status = InternetStatus::intstatus(
        QUrl(QStringLiteral("http://127.0.0.1:%1").arg(listener.serverPort())), 400);

    QVERIFY(status != InternetStatus::Online);
    QVERIFY2(clock.elapsed() >= 350 && clock.elapsed() < 1000,
             qPrintable(QString::number(clock.elapsed())));
}

void InternetStatusTest::runsNoEventsWhileWaiting() {
    // The window's timers must not fire inside the probe.
    bool fired = false;
    QTimer::singleShot(0, this, [&fired] { fired = true; });

    QCOMPARE(InternetStatus::intstatus(QUrl(QString::fromStdString(m_site->baseUrl()))), 2);

    QVERIFY(!fired);
    QTRY_VERIFY(fired);
}

QTEST_GUILESS_MAIN(InternetStatusTest)
#include "InternetStatusTest.moc"
