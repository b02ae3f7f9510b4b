// The connectivity probe, the help buttons and publishing a score record, against a
// website played by an HTTP server on 127.0.0.1, and end to end against qob-site itself.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QNetworkProxyFactory>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

#include "CodePage936.h"
#include "Form1.h"
#include "RecordExtras.h"
#include "RecordFileIo.h"
#include "RecordFiles.h"
#include "ScoreStorage.h"
#include "ScriptedDialogs.h"
#include "SitePing.h"
#include "SiteProcess.h"
#include "TestHttpServer.h"
#include "TileImage.h"
#include "WebBrowser.h"

using namespace qob;
using qob::test::TestHttpServer;

namespace {

// The website played by a TestHttpServer on a thread of its own, so that it answers the
// probe, which blocks the window's thread, as the game's website does.
class SiteThread {
  public:
    SiteThread() {
        m_context.moveToThread(&m_thread);
        m_thread.start();
        run([this] {
            m_server = new TestHttpServer;
            m_started = m_server->start();
            TestHttpServer::Response ping;
            ping.contentType = "text/plain; charset=utf-8";
            ping.body = kSitePingBody;
            ping.headers = {{kSitePingHeader, kSitePingHeaderValue}};
            m_server->setRoute(kSitePingPath, ping);
        });
    }
    ~SiteThread() {
        run([this] { delete m_server; });
        m_thread.quit();
        m_thread.wait();
    }

    bool start() const { return m_started; }
    QString baseUrl() {
        QString url;
        run([&] { url = m_server->baseUrl(); });
        return url;
    }
    void setPage(const QByteArray& path, const QByteArray& html) {
        run([&] { m_server->setPage(path, html); });
    }
    // The request targets, the probe's left out.
    QList<QByteArray> requestTargets() {
        QList<QByteArray> targets;
        run([&] { targets = m_server->requestTargets(); });
        targets.removeAll(QByteArray(kSitePingPath));
        return targets;
    }
    void clearRequests() {
        run([this] { m_server->clearRequests(); });
    }

  private:
    void run(const std::function<void()>& work) {
        QMetaObject::invokeMethod(&m_context, work, Qt::BlockingQueuedConnection);
    }

    QThread m_thread;
    QObject m_context;
    TestHttpServer* m_server = nullptr;
    bool m_started = false;
};

}  // namespace

class OnlineTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void init();
    void cleanup();

    void probeFindsTheWebsiteAndTheHelpButtonsGoThere_data();
    void probeFindsTheWebsiteAndTheHelpButtonsGoThere();
    void probeOfflineKeepsTheLocalPages();
    void missingLocalPageShowsThePanelsOwnPage();
    void uploadSendsTheRecordFileByteForByte();
    void uploadWhileOfflineTellsThePlayerAndSendsNothing();
    void publishingThroughTheWindowReachesTheRanking();
    void theLargestScoreRecordGoesThroughThePanel();

  private:
    void makeForm(const QString& siteUrl, bool withHelp = true);
    // Runs the probe; returns the captions Check1 showed, in order.
    QStringList runProbe();
    bool waitForPage() { return QSignalSpy(form->WebBrowser1, &WebBrowser::pageLoaded).wait(5000); }
    QString savedRecord(const QString& name);

    std::unique_ptr<QTemporaryDir> folder;
    std::unique_ptr<SiteThread> site;
    test::ScriptedDialogs dialogs;
    std::unique_ptr<Form1> form;
};

void OnlineTest::initTestCase() {
    // An http_proxy setting of the machine must not take the requests to 127.0.0.1.
    QNetworkProxyFactory::setUseSystemConfiguration(false);
}

void OnlineTest::init() {
    folder = std::make_unique<QTemporaryDir>();
    QVERIFY(folder->isValid());
    site = std::make_unique<SiteThread>();
    QVERIFY(site->start());
    for (const char* page : {"ssindex", "ssrule", "sslist", "ssdownload"})
        site->setPage(QByteArray("/qob/") + page + ".htm",
                      QByteArray("<html><body><h1>网站 ") + page + "</h1></body></html>");
    site->setPage("/qob/list/", "<html><body><h1>成绩已收到</h1></body></html>");
    dialogs = test::ScriptedDialogs();
}

void OnlineTest::makeForm(const QString& siteUrl, bool withHelp) {
    if (withHelp) {
        for (const char* sub : {"images", "data", "help"})
            QFile::link(QStringLiteral(QOB_TEST_ASSETS "/") + sub, folder->filePath(sub));
    }
    form = std::make_unique<Form1>(Form1::Setup{folder->path(), siteUrl.toStdString(), &dialogs,
                                                [] { return DateTime{2026, 12, 10, 9, 30, 12}; }});
    form->Form_Load();
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
}

void OnlineTest::cleanup() {
    form.reset();
    site.reset();
    folder.reset();
}

QStringList OnlineTest::runProbe() {
    QStringList captions;
    // Runs inside the one pass of pending events the probe allows before it blocks.
    QTimer::singleShot(0, form.get(), [&] { captions << form->Check1->text(); });
    form->Timer2_Timer();
    captions << form->Check1->text();
    return captions;
}

QString OnlineTest::savedRecord(const QString& name) {
    const QString path = folder->filePath(name);
    dialogs.files.push_back(path.toStdString());
    form->Command7_Click();
    return path;
}

void OnlineTest::probeFindsTheWebsiteAndTheHelpButtonsGoThere_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("page");
    QTest::newRow("home") << "Command6"
                          << "ssindex.htm";
    QTest::newRow("rules") << "Command5"
                           << "ssrule.htm";
    QTest::newRow("ranking") << "Command4"
                             << "sslist.htm";
    QTest::newRow("new versions") << "Command3"
                                  << "ssdownload.htm";
}

void OnlineTest::probeFindsTheWebsiteAndTheHelpButtonsGoThere() {
    QFETCH(QString, button);
    QFETCH(QString, page);
    makeForm(site->baseUrl());
    auto* help = form->findChild<QPushButton*>(button);
    QVERIFY(help);

    // Before the probe the buttons open the local copies.
    QTest::mouseClick(help, Qt::LeftButton);
    QCOMPARE(form->WebBrowser1->currentAddress(), folder->filePath("help/" + page));
    QVERIFY(form->WebBrowser1->hasFocus());

    const QStringList captions = runProbe();
    QCOMPARE(captions, (QStringList{"Internet Checking [ 2026-12-10 9:30:12 ]",
                                    "On-line  [ 2026-12-10 9:30:12 ]"}));
    QVERIFY(form->state().onlineFlag);
    QVERIFY(!form->timer2().isActive());
    QCOMPARE(form->Check1->checkState(), Qt::PartiallyChecked);
    // Online, the panel moves to the website's home page by itself.
    QCOMPARE(form->WebBrowser1->currentAddress(), site->baseUrl() + "/qob/ssindex.htm");
    QVERIFY(waitForPage());

    QTest::mouseClick(help, Qt::LeftButton);
    QCOMPARE(form->WebBrowser1->currentAddress(), site->baseUrl() + "/qob/" + page);
    QVERIFY(waitForPage());
    QCOMPARE(site->requestTargets().last(), "/qob/" + page.toUtf8());
    QVERIFY(form->WebBrowser1->toPlainText().contains(QStringLiteral("网站")));
    QVERIFY(form->WebBrowser1->hasFocus());
}

void OnlineTest::probeOfflineKeepsTheLocalPages() {
    makeForm(QStringLiteral("http://127.0.0.1:%1").arg(TestHttpServer::refusingPort()));
    const QStringList captions = runProbe();
    QCOMPARE(captions, (QStringList{"Internet Checking [ 2026-12-10 9:30:12 ]",
                                    "Off-line  [ 2026-12-10 9:30:12 ]"}));
    QVERIFY(!form->state().onlineFlag);
    QCOMPARE(form->WebBrowser1->currentAddress(), folder->filePath("help/ssindex.htm"));
    QTest::mouseClick(form->Command4, Qt::LeftButton);
    QCOMPARE(form->WebBrowser1->currentAddress(), folder->filePath("help/sslist.htm"));
    QVERIFY(form->WebBrowser1->toPlainText().contains(QStringLiteral("排行榜")));
}

void OnlineTest::missingLocalPageShowsThePanelsOwnPage() {
    makeForm(site->baseUrl(), false);
    QSignalSpy loaded(form->WebBrowser1, &WebBrowser::pageLoaded);
    QTest::mouseClick(form->Command5, Qt::LeftButton);
    QVERIFY(loaded.count() == 1 || loaded.wait(5000));
    QCOMPARE(loaded.last().at(1).toBool(), false);
    QVERIFY(form->WebBrowser1->toPlainText().contains(QStringLiteral("无法打开此页")));
    QVERIFY(form->WebBrowser1->toPlainText().contains(QStringLiteral("ssrule.htm")));
}

void OnlineTest::uploadSendsTheRecordFileByteForByte() {
    makeForm(site->baseUrl());
    const QString path = savedRecord(QStringLiteral("小明 QOB game.rec"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray recordBytes = file.readAll();
    QVERIFY(recordBytes.contains(' '));
    QCOMPARE(recordBytes.count('|'), 201);  // the fields and the game's log
    QVERIFY(recordBytes.contains("|log="));

    runProbe();
    QVERIFY(waitForPage());
    site->clearRequests();
    dialogs.files.push_back(path.toStdString());
    QTest::mouseClick(form->Command17, Qt::LeftButton);
    QVERIFY(waitForPage());

    QCOMPARE(site->requestTargets().size(), 1);
    const QByteArray target = site->requestTargets().front();
    const QByteArray prefix = "/qob/list/?act=viewform&reccode=";
    QVERIFY(target.startsWith(prefix));
    QCOMPARE(QByteArray::fromPercentEncoding(target.mid(prefix.size())), recordBytes);
    QVERIFY(form->WebBrowser1->toPlainText().contains(QStringLiteral("成绩已收到")));
    QCOMPARE(QString::fromStdString(form->state().recordText), QString::fromLatin1(recordBytes));
}

void OnlineTest::uploadWhileOfflineTellsThePlayerAndSendsNothing() {
    makeForm(site->baseUrl());
    const QString path = savedRecord(QStringLiteral("record.rec"));
    const QString shown = form->WebBrowser1->currentAddress();
    dialogs.log.clear();
    dialogs.files.push_back(path.toStdString());

    QTest::mouseClick(form->Command17, Qt::LeftButton);

    QCOMPARE(dialogs.boxes(),
             std::vector<std::string>{"messageBox 没有在线，连接互联网后，上传成绩！ [] ok none"});
    QCOMPARE(form->WebBrowser1->currentAddress(), shown);
    QVERIFY(site->requestTargets().isEmpty());
    QVERIFY(form->Image1[0]->isVisible());
}

void OnlineTest::publishingThroughTheWindowReachesTheRanking() {
    // qob-site itself, on SQLite or on the tests' PostgreSQL (TestDatabase), its clock
    // on the day the window's clock shows.
    test::TestDatabase database;
    test::SiteProcess real(database.address(), {"--clock", "2026-12-10 12:00:00"});
    QVERIFY2(real.isRunning(), real.log().c_str());
    makeForm(QString::fromStdString(real.baseUrl()));

    // A few moves of open play, then the record saved with a name that is no markup.
    for (int k = 0; k < 500 && form->state().roundNo < 3; ++k)
        QTest::mouseClick(form->Image1[k % kTileCount], Qt::LeftButton);
    QVERIFY(form->state().roundNo >= 3);
    dialogs.inputs.push_back("小明 <b>&");
    const QString path = savedRecord(QStringLiteral("小明.rec"));

    const QStringList captions = runProbe();
    QCOMPARE(captions.last(), QStringLiteral("On-line  [ 2026-12-10 9:30:12 ]"));
    QVERIFY(waitForPage());
    QVERIFY(form->WebBrowser1->toPlainText().contains(QStringLiteral("这是霁虹珠台网站上的页面")));

    dialogs.files.push_back(path.toStdString());
    QTest::mouseClick(form->Command17, Qt::LeftButton);
    QVERIFY(waitForPage());
    const QString answer = form->WebBrowser1->toPlainText();
    QVERIFY2(answer.contains(QStringLiteral("成绩已发布")), qPrintable(answer));
    QVERIFY(answer.contains(QStringLiteral("小明 <b>& 的成绩已登上排行榜：常规模式")));
    QVERIFY(answer.contains(QStringLiteral("第 1 名")));
    // The game's log, replayed by the site, gave the record: it is marked verified.
    QVERIFY(answer.contains(QStringLiteral("这份成绩标为复盘验证")));
    QCOMPARE(site::openScoreStorage(database.address())->best(kModeGame, "", true, 50).size(),
             std::size_t{1});

    QTest::mouseClick(form->Command4, Qt::LeftButton);
    QVERIFY(waitForPage());
    const QString ranking = form->WebBrowser1->toPlainText();
    const qsizetype table = ranking.indexOf(QStringLiteral("常规模式"), ranking.indexOf("全部"));
    QVERIFY2(table >= 0, qPrintable(ranking));
    QVERIFY2(ranking.indexOf(QStringLiteral("小明 <b>&"), table) > table, qPrintable(ranking));
    QCOMPARE(site::openScoreStorage(database.address())->storedCount(), 1);

    // The panel's links lead on within the site.
    dialogs.files.push_back(path.toStdString());
    QTest::mouseClick(form->Command17, Qt::LeftButton);
    QVERIFY(waitForPage());
    QVERIFY(form->WebBrowser1->toPlainText().contains(QStringLiteral("已经发布过")));
    QCOMPARE(site::openScoreStorage(database.address())->storedCount(), 1);
}

void OnlineTest::theLargestScoreRecordGoesThroughThePanel() {
    // A record as large as a score record may be, every byte of it written as %XX in the
    // address: about three times its size in the request line.
    test::TestDatabase database;
    test::SiteProcess real(database.address(), {"--clock", "2026-12-10 12:00:00"});
    QVERIFY2(real.isRunning(), real.log().c_str());
    makeForm(QString::fromStdString(real.baseUrl()));
    const QString path = savedRecord(QStringLiteral("large.rec"));
    std::string record = form->state().recordText + "|pad=";
    // 中 is two bytes in code page 936.
    for (std::size_t n = (kScoreRecordLimit - toCodePage936(record).size()) / 2; n > 0; --n)
        record += "中";
    QVERIFY(toCodePage936(record).size() > kScoreRecordLimit - 2);
    QVERIFY(writeRecordFile(path.toStdString(), record));
    QVERIFY(uploadAddress(real.baseUrl(), record).size() > 2.9 * kScoreRecordLimit);

    runProbe();
    QVERIFY(waitForPage());
    dialogs.files.push_back(path.toStdString());
    QTest::mouseClick(form->Command17, Qt::LeftButton);
    QVERIFY(waitForPage());
    QVERIFY2(form->WebBrowser1->toPlainText().contains(QStringLiteral("成绩已发布")),
             qPrintable(form->WebBrowser1->toPlainText()));
}

QTEST_MAIN(OnlineTest)
#include "OnlineTest.moc"
