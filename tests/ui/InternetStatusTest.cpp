#include <QElapsedTimer>
#include <QHostAddress>
#include <QHostInfo>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <memory>
#include <vector>

#include "InternetStatus.h"
#include "TestHttpServer.h"

using qob::InternetStatus;
using qob::test::TestHttpServer;

class InternetStatusTest : public QObject {
    Q_OBJECT

  private slots:
    void reachability_data();
    void reachability();
    void unresolvableHostGivesUpInTime();
    void silentHostGivesUpAtTheDeadline();
    void runsNoEventsWhileWaiting();
};

void InternetStatusTest::reachability_data() {
    QTest::addColumn<QString>("site");
    // Where the listener is; a name that resolves to both families reaches it however
    // the system orders the two.
    QTest::addColumn<QString>("listenOn");
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("withinMs");

    QTest::newRow("listening, by address") << "http://127.0.0.1:%PORT%"
                                           << "127.0.0.1" << 2 << 2000;
    QTest::newRow("listening, by name") << "http://localhost:%PORT%"
                                        << "127.0.0.1" << 2 << 2000;
    QTest::newRow("listening on IPv6 only, by name") << "http://localhost:%PORT%"
                                                     << "::1" << 2 << 2000;
    QTest::newRow("listening, path and query ignored")
        << "http://127.0.0.1:%PORT%/qob/ssindex.htm?x=1"
        << "127.0.0.1" << 2 << 2000;
    QTest::newRow("refused") << "http://127.0.0.1:%REFUSING%"
                             << "127.0.0.1" << 0 << 500;
    QTest::newRow("refused, by name") << "http://localhost:%REFUSING%"
                                      << "127.0.0.1" << 0 << 500;
    QTest::newRow("no address") << ""
                                << "127.0.0.1" << 0 << 100;
    QTest::newRow("no host") << "http:///qob"
                             << "127.0.0.1" << 0 << 100;
    QTest::newRow("scheme without a known port") << "gopher://127.0.0.1"
                                                 << "127.0.0.1" << 0 << 100;
}

void InternetStatusTest::reachability() {
    QFETCH(QString, site);
    QFETCH(QString, listenOn);
    QFETCH(int, expected);
    QFETCH(int, withinMs);
    const QHostAddress address(listenOn);
    if (address.protocol() == QAbstractSocket::IPv6Protocol &&
        !QHostInfo::fromName(QStringLiteral("localhost")).addresses().contains(address))
        QSKIP("localhost has no IPv6 address here");
    QTcpServer listener;
    QVERIFY(listener.listen(address, 0));
    site.replace(QLatin1String("%PORT%"), QString::number(listener.serverPort()));
    site.replace(QLatin1String("%REFUSING%"), QString::number(TestHttpServer::refusingPort()));

    QElapsedTimer clock;
    clock.start();
    const int status = InternetStatus::intstatus(QUrl(site));

    QCOMPARE(status, expected);
    QVERIFY2(clock.elapsed() < withinMs, qPrintable(QString::number(clock.elapsed())));
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
    TestHttpServer server;
    QVERIFY(server.start());
    bool fired = false;
    QTimer::singleShot(0, this, [&fired] { fired = true; });

    InternetStatus::intstatus(QUrl(QStringLiteral("http://localhost:%1").arg(server.port())));

    QVERIFY(!fired);
    QTRY_VERIFY(fired);
}

QTEST_GUILESS_MAIN(InternetStatusTest)
#include "InternetStatusTest.moc"
