#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QNetworkProxyFactory>
#include <QPixmap>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>

#include <QAbstractTextDocumentLayout>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTextBrowser>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <memory>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

#include "TestHttpServer.h"
#include "WebBrowser.h"

using qob::WebBrowser;
using qob::test::TestHttpServer;

namespace {

// Longer than any timeout a test gives the panel, so a failure shows its own reason.
constexpr int kWaitMs = 10000;

QByteArray utf8Page(const QString& title, const QString& body = QString()) {
    return QStringLiteral(
               "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
               "charset=utf-8\"><title>%1</title></head><body><h1>%1</h1>%2</body></html>")
        .arg(title, body)
        .toUtf8();
}

// "中文丂": the last character exists in GBK but not in GB2312 (bytes 81 40).
const QByteArray kGbkChinese("\xD6\xD0\xCE\xC4\x81\x40");
const QString kChinese = QStringLiteral("中文丂");

const QString kCutNotice = QStringLiteral("此页内容太多或太复杂，有一部分没有显示。");

// Runs `action` inside the event loop, then lets the loop run until `done` holds and
// `settleMs` longer (the layout goes on in steps after a page is shown). Returns the
// longest time between two ticks of a 20 ms timer meanwhile: how long the window stood
// still at most. -1 when `done` never held.
qint64 longestStall(const std::function<void()>& action, const std::function<bool()>& done,
                    int settleMs = 300) {
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    qint64 longest = 0;
    QTimer ticks;
    ticks.setTimerType(Qt::PreciseTimer);
    ticks.setInterval(20);
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        longest = std::max(longest, clock.elapsed() - last);
        last = clock.elapsed();
    });
    QEventLoop loop;
    qint64 doneAt = -1;
    QTimer check;
    check.setInterval(10);
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (doneAt < 0 && done()) doneAt = clock.elapsed();
        if ((doneAt >= 0 && clock.elapsed() - doneAt >= settleMs) || clock.elapsed() > 60000)
            loop.quit();
    });
    ticks.start();
    check.start();
    QTimer::singleShot(0, [&] { action(); });
    loop.exec();
    longest = std::max(longest, clock.elapsed() - last);
    return doneAt < 0 ? -1 : longest;
}

// Resident memory of this process, in MiB; -1 where it cannot be read.
double residentMiB() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    if (fields.size() < 2) return -1;
    return fields.at(1).toDouble() * 4096 / (1024 * 1024);
}

QByteArray pngOf(const QImage& picture) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return png;
}

QByteArray repeated(const QByteArray& piece, int times) {
    return piece.repeated(times);
}

// The size of an image resource, in whichever form the document holds it.
QSize imageSize(const QVariant& resource) {
    if (resource.userType() == QMetaType::QPixmap) return resource.value<QPixmap>().size();
    if (resource.userType() == QMetaType::QImage) return resource.value<QImage>().size();
    return QImage::fromData(resource.toByteArray()).size();
}

}  // namespace

Q_DECLARE_METATYPE(qob::test::TestHttpServer::Response)

class WebBrowserTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void init();
    void cleanup();

    void showsLocalPage_data();
    void showsLocalPage();
    void localPageResolvesImagesAgainstItsFolder();
    void localFailureShowsOwnPage_data();
    void localFailureShowsOwnPage();

    void showsWebPage_data();
    void showsWebPage();
    void followsRedirects();
    void webFailureShowsOwnPage_data();
    void webFailureShowsOwnPage();
    void errorPageLeadsBackHome();

    void followsLinksInsidePanel_data();
    void followsLinksInsidePanel();
    void newerNavigationWins_data();
    void newerNavigationWins();
    void addressReachesServerUnchanged_data();
    void addressReachesServerUnchanged();
    void webPageImages();

    void hostilePagesNeverStallThePanel_data();
    void hostilePagesNeverStallThePanel();
    void ordinaryPagesLookAsBefore_data();
    void ordinaryPagesLookAsBefore();
    void errorPageShortensLongAddresses_data();
    void errorPageShortensLongAddresses();
    void webImagesAreBoundedAndReleased();
    void zoomScalesThePageOnce();

  private:
    QString writeFile(const QString& name, const QByteArray& data);
    QString path(const QString& name) const { return m_dir->filePath(name); }
    bool waitForLoads(int count);
    void clickLink(const QString& text);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TestHttpServer> m_server;
    std::unique_ptr<WebBrowser> m_browser;
    std::unique_ptr<QSignalSpy> m_loaded;
};

void WebBrowserTest::initTestCase() {
    // The pages come from 127.0.0.1; a proxy from the environment must not get in between.
    QNetworkProxyFactory::setUseSystemConfiguration(false);
}

void WebBrowserTest::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_server = std::make_unique<TestHttpServer>();
    QVERIFY(m_server->start());
    m_browser = std::make_unique<WebBrowser>();
    m_browser->resize(400, 300);
    m_browser->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_browser.get()));
    m_loaded = std::make_unique<QSignalSpy>(m_browser.get(), &WebBrowser::pageLoaded);
}

void WebBrowserTest::cleanup() {
    m_loaded.reset();
    m_browser.reset();
    m_server.reset();
    m_dir.reset();
}

QString WebBrowserTest::writeFile(const QString& name, const QByteArray& data) {
    const QString file = path(name);
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(data) != data.size()) return {};
    return file;
}

bool WebBrowserTest::waitForLoads(int count) {
    while (m_loaded->size() < count) {
        if (!m_loaded->wait(kWaitMs)) return false;
    }
    return true;
}

// Clicks the link whose text is `text`, as the player would.
void WebBrowserTest::clickLink(const QString& text) {
    const QTextCursor found = m_browser->document()->find(text);
    QVERIFY2(!found.isNull(), qPrintable(QStringLiteral("no link \"%1\"").arg(text)));
    QTextCursor inside(m_browser->document());
    inside.setPosition(found.selectionStart() + 1);
    const QRect where = m_browser->cursorRect(inside);
    QTest::mouseClick(m_browser->viewport(), Qt::LeftButton, {}, where.center());
}

void WebBrowserTest::showsLocalPage_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("addressForm");

    const QByteArray head = "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; ";
    QTest::newRow("utf-8 with meta, plain path")
        << QByteArray(head + "charset=utf-8\"></head><body><h1>霁虹珠台</h1>" + kChinese.toUtf8() +
                      "</body></html>")
        << "path";
    QTest::newRow("gb2312 meta holding GBK, backslash path")
        << QByteArray(head +
                      "charset=gb2312\"></head><body><h1>\xF6\xAB\xBA\xE7\xD6\xE9\xCC\xA8</h1>" +
                      kGbkChinese + "</body></html>")
        << "backslashes";
    QTest::newRow("html5 meta charset=gbk, file URL")
        << QByteArray(
               "<html><head><meta charset=\"gbk\"></head><body><h1>"
               "\xF6\xAB\xBA\xE7\xD6\xE9\xCC\xA8</h1>" +
               kGbkChinese + "</body></html>")
        << "file url";
    QTest::newRow("no charset, UTF-8 bytes")
        << QByteArray("<html><body><h1>霁虹珠台</h1>" + kChinese.toUtf8() + "</body></html>")
        << "path";
    QTest::newRow("no charset, GBK bytes")
        << QByteArray("<html><body><h1>\xF6\xAB\xBA\xE7\xD6\xE9\xCC\xA8</h1>" + kGbkChinese +
                      "</body></html>")
        << "path";
}

void WebBrowserTest::showsLocalPage() {
    QFETCH(QByteArray, content);
    QFETCH(QString, addressForm);
    const QString file = writeFile(QStringLiteral("help/ssindex.htm"), content);
    QVERIFY(!file.isEmpty());

    QString address = file;
    if (addressForm == QLatin1String("backslashes")) address.replace('/', '\\');
    if (addressForm == QLatin1String("file url")) address = QUrl::fromLocalFile(file).toString();
    m_browser->Navigate(address);

    // A local page is there as soon as Navigate returns.
    QCOMPARE(m_loaded->size(), 1);
    QCOMPARE(m_loaded->at(0).at(0).toString(), address);
    QCOMPARE(m_loaded->at(0).at(1).toBool(), true);
    QCOMPARE(m_browser->currentAddress(), address);
    const QString text = m_browser->toPlainText();
    QVERIFY2(text.contains(QStringLiteral("霁虹珠台")), qPrintable(text));
    QVERIFY2(text.contains(kChinese), qPrintable(text));
}

void WebBrowserTest::localPageResolvesImagesAgainstItsFolder() {
    QImage picture(3, 2, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QVERIFY(QDir().mkpath(path(QStringLiteral("help/images"))));
    QVERIFY(picture.save(path(QStringLiteral("help/images/dot.png"))));
    const QString file = writeFile(QStringLiteral("help/page.htm"),
                                   utf8Page(QStringLiteral("图"), "<img src=\"images/dot.png\">"));

    m_browser->Navigate(file);

    const QUrl image = QUrl::fromLocalFile(path(QStringLiteral("help/images/dot.png")));
    QCOMPARE(imageSize(m_browser->document()->resource(QTextDocument::ImageResource, image)),
             QSize(3, 2));
}

void WebBrowserTest::localFailureShowsOwnPage_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason");

    QTest::newRow("missing file") << "help/nothere.htm" << QStringLiteral("文件不存在");
    QTest::newRow("missing folder") << "nohelp/ssrule.htm" << QStringLiteral("文件不存在");
    QTest::newRow("a folder") << "help" << QStringLiteral("这不是一个网页文件");
#ifdef Q_OS_UNIX
    // A pipe that no one writes to: reading it would wait for ever.
    QTest::newRow("a pipe") << "help/pipe.htm" << QStringLiteral("这不是一个网页文件");
#endif
}

void WebBrowserTest::localFailureShowsOwnPage() {
    QFETCH(QString, name);
    QFETCH(QString, reason);
    writeFile(QStringLiteral("help/ssindex.htm"), utf8Page(QStringLiteral("珠台之家")));
    m_browser->setHomePage(path(QStringLiteral("help/ssindex.htm")));

    const QString address = path(name);
#ifdef Q_OS_UNIX
    if (name.endsWith(QLatin1String("pipe.htm")))
        QCOMPARE(mkfifo(QFile::encodeName(address).constData(), 0600), 0);
#endif
    m_browser->Navigate(address);

    QCOMPARE(m_loaded->size(), 1);
    QCOMPARE(m_loaded->at(0).at(1).toBool(), false);
    const QString text = m_browser->toPlainText();
    QVERIFY2(text.contains(QStringLiteral("无法打开此页")), qPrintable(text));
    QVERIFY2(text.contains(address), qPrintable(text));
    QVERIFY2(text.contains(reason), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("返回首页")), qPrintable(text));
}

void WebBrowserTest::showsWebPage_data() {
    QTest::addColumn<TestHttpServer::Response>("response");
    QTest::addColumn<QString>("expected");

    TestHttpServer::Response utf8;
    utf8.body = utf8Page(QStringLiteral("排行榜"));
    QTest::newRow("utf-8") << utf8 << QStringLiteral("排行榜");

    TestHttpServer::Response gbkHeader;
    gbkHeader.contentType = "text/html; charset=GBK";
    gbkHeader.body = "<html><body><p>" + kGbkChinese + "</p></body></html>";
    QTest::newRow("GBK named by the server") << gbkHeader << kChinese;

    TestHttpServer::Response gbkMeta;
    gbkMeta.contentType = "text/html";
    gbkMeta.body =
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
        "charset=gb2312\"></head><body><p>" +
        kGbkChinese + "</p></body></html>";
    QTest::newRow("GBK named by a meta tag") << gbkMeta << kChinese;

    TestHttpServer::Response plain;
    plain.contentType = "text/plain; charset=utf-8";
    plain.body = QStringLiteral("<b>不是网页</b>").toUtf8();
    QTest::newRow("plain text stays text") << plain << QStringLiteral("<b>不是网页</b>");
}

void WebBrowserTest::showsWebPage() {
    QFETCH(TestHttpServer::Response, response);
    QFETCH(QString, expected);
    m_server->setRoute("/qob/sslist.htm", response);

    const QString address = m_server->baseUrl() + QStringLiteral("/qob/sslist.htm");
    m_browser->Navigate(address);

    QVERIFY(waitForLoads(1));
    QCOMPARE(m_loaded->at(0).at(0).toString(), address);
    QCOMPARE(m_loaded->at(0).at(1).toBool(), true);
    const QString text = m_browser->toPlainText();
    QVERIFY2(text.contains(expected), qPrintable(text));
    QCOMPARE(m_server->requestTargets(), QList<QByteArray>{"/qob/sslist.htm"});
}

void WebBrowserTest::followsRedirects() {
    TestHttpServer::Response moved;
    moved.status = 302;
    moved.headers = {{"Location", "/qob/new/page.htm"}};
    m_server->setRoute("/old/page.htm", moved);
    m_server->setPage(
        "/qob/new/page.htm",
        utf8Page(QStringLiteral("新地址"), QStringLiteral("<a href=\"next.htm\">下一页</a>")));
    m_server->setPage("/qob/new/next.htm", utf8Page(QStringLiteral("第二页")));
    const QString address = m_server->baseUrl() + QStringLiteral("/old/page.htm");

    m_browser->Navigate(address);
    QVERIFY(waitForLoads(1));
    QCOMPARE(m_loaded->at(0).at(0).toString(), address);
    QCOMPARE(m_loaded->at(0).at(1).toBool(), true);
    QVERIFY(m_browser->toPlainText().contains(QStringLiteral("新地址")));
    QCOMPARE(m_browser->currentUrl().path(), QStringLiteral("/qob/new/page.htm"));

    // Links resolve against where the page really came from.
    clickLink(QStringLiteral("下一页"));
    QVERIFY(waitForLoads(2));
    QVERIFY(m_browser->toPlainText().contains(QStringLiteral("第二页")));
    QCOMPARE(m_server->requestTargets(),
             (QList<QByteArray>{"/old/page.htm", "/qob/new/page.htm", "/qob/new/next.htm"}));
}

void WebBrowserTest::webFailureShowsOwnPage_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<TestHttpServer::Response>("response");
    QTest::addColumn<int>("timeoutMs");
    QTest::addColumn<QString>("reason");

    const QString page = QStringLiteral("%BASE%/qob/ssrule.htm");
    TestHttpServer::Response missing;
    missing.status = 404;
    missing.body = "<html><body>Not Found</body></html>";
    QTest::newRow("404") << page << missing << 5000 << QStringLiteral("服务器返回错误 404");
    TestHttpServer::Response broken;
    broken.status = 500;
    QTest::newRow("500") << page << broken << 5000 << QStringLiteral("服务器返回错误 500");
    TestHttpServer::Response slow;
    slow.body = utf8Page(QStringLiteral("太迟了"));
    slow.delayMs = 3000;
    QTest::newRow("timeout") << page << slow << 300 << QStringLiteral("连接超时");
    TestHttpServer::Response binary;
    binary.contentType = "application/octet-stream";
    binary.body = QByteArray(100, '\0');
    QTest::newRow("not a page") << page << binary << 5000 << QStringLiteral("无法显示这种内容");
    QTest::newRow("refused") << QStringLiteral("http://127.0.0.1:%REFUSING%/qob/ssrule.htm")
                             << TestHttpServer::Response() << 5000
                             << QStringLiteral("无法连接到服务器");
    QTest::newRow("unknown host") << QStringLiteral("http://nonexistent.invalid/qob/ssrule.htm")
                                  << TestHttpServer::Response() << 5000
                                  << QStringLiteral("找不到服务器");
}

void WebBrowserTest::webFailureShowsOwnPage() {
    QFETCH(QString, address);
    QFETCH(TestHttpServer::Response, response);
    QFETCH(int, timeoutMs);
    QFETCH(QString, reason);
    m_server->setRoute("/qob/ssrule.htm", response);
    address.replace(QLatin1String("%BASE%"), m_server->baseUrl());
    address.replace(QLatin1String("%REFUSING%"), QString::number(TestHttpServer::refusingPort()));
    m_browser->setHomePage(path(QStringLiteral("help/ssindex.htm")));
    m_browser->setTimeout(timeoutMs);

    m_browser->Navigate(address);

    QVERIFY(waitForLoads(1));
    QCOMPARE(m_loaded->at(0).at(0).toString(), address);
    QCOMPARE(m_loaded->at(0).at(1).toBool(), false);
    const QString text = m_browser->toPlainText();
    QVERIFY2(text.contains(QStringLiteral("无法打开此页")), qPrintable(text));
    QVERIFY2(text.contains(address), qPrintable(text));
    QVERIFY2(text.contains(reason), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("返回首页")), qPrintable(text));
    QVERIFY(!m_browser->isLoading());
}

void WebBrowserTest::errorPageLeadsBackHome() {
    // After a web page, the error page of the next web address still opens the local home
    // page, although web pages themselves may not open local files.
    const QString home =
        writeFile(QStringLiteral("help/ssindex.htm"), utf8Page(QStringLiteral("欢迎来到霁虹珠台")));
    m_browser->setHomePage(home);
    m_server->setPage("/qob/ssindex.htm", utf8Page(QStringLiteral("网站首页")));
    m_browser->Navigate(m_server->baseUrl() + QStringLiteral("/qob/ssindex.htm"));
    QVERIFY(waitForLoads(1));
    m_browser->Navigate(m_server->baseUrl() + QStringLiteral("/qob/gone.htm"));
    QVERIFY(waitForLoads(2));

    clickLink(QStringLiteral("返回首页"));

    QCOMPARE(m_loaded->size(), 3);
    QCOMPARE(m_loaded->at(2).at(0).toString(), home);
    QCOMPARE(m_loaded->at(2).at(1).toBool(), true);
    QVERIFY(m_browser->toPlainText().contains(QStringLiteral("欢迎来到霁虹珠台")));
}

void WebBrowserTest::followsLinksInsidePanel_data() {
    QTest::addColumn<bool>("startOnWeb");
    QTest::addColumn<QString>("href");
    // Empty when the click must change nothing.
    QTest::addColumn<QString>("expectedText");
    QTest::addColumn<QByteArray>("expectedTarget");

    QTest::newRow("relative link on a web page")
        << true << "next.htm?x=%7C1" << QStringLiteral("第二页")
        << QByteArray("/qob/next.htm?x=%7C1");
    QTest::newRow("absolute link on a web page")
        << true << "%BASE%/qob/next.htm" << QStringLiteral("第二页") << QByteArray("/qob/next.htm");
    QTest::newRow("web link on a local page")
        << false << "%BASE%/qob/next.htm" << QStringLiteral("第二页")
        << QByteArray("/qob/next.htm");
    QTest::newRow("relative link on a local page")
        << false << "second.htm" << QStringLiteral("本地第二页") << QByteArray();
    QTest::newRow("anchor on the same page") << false << "#end" << QString() << QByteArray();
    QTest::newRow("mailto is ignored")
        << false << "mailto:qob@example.net" << QString() << QByteArray();
    QTest::newRow("web page cannot open local files")
        << true << "%FILE%" << QString() << QByteArray();
}

void WebBrowserTest::followsLinksInsidePanel() {
    QFETCH(bool, startOnWeb);
    QFETCH(QString, href);
    QFETCH(QString, expectedText);
    QFETCH(QByteArray, expectedTarget);

    const QString second =
        writeFile(QStringLiteral("help/second.htm"), utf8Page(QStringLiteral("本地第二页")));
    href.replace(QLatin1String("%BASE%"), m_server->baseUrl());
    href.replace(QLatin1String("%FILE%"), QUrl::fromLocalFile(second).toString());
    const QByteArray start =
        utf8Page(QStringLiteral("第一页"), QStringLiteral("<p><a href=\"%1\">下一页</a></p>"
                                                          "<p><a name=\"end\">完</a></p>")
                                               .arg(href.toHtmlEscaped()));
    m_server->setPage("/qob/start.htm", start);
    m_server->setPage("/qob/next.htm", utf8Page(QStringLiteral("第二页")));
    m_browser->Navigate(startOnWeb ? m_server->baseUrl() + QStringLiteral("/qob/start.htm")
                                   : writeFile(QStringLiteral("help/start.htm"), start));
    QVERIFY(waitForLoads(1));
    m_server->clearRequests();

    clickLink(QStringLiteral("下一页"));

    if (expectedText.isEmpty()) {
        // Nothing to wait for: every navigation that could wrongly start here is local.
        QCOMPARE(m_loaded->size(), 1);
        QVERIFY(m_browser->toPlainText().contains(QStringLiteral("第一页")));
        return;
    }
    QVERIFY(waitForLoads(2));
    QCOMPARE(m_loaded->at(1).at(1).toBool(), true);
    QVERIFY2(m_browser->toPlainText().contains(expectedText), qPrintable(m_browser->toPlainText()));
    if (!expectedTarget.isEmpty()) {
        QCOMPARE(m_server->requestTargets(), QList<QByteArray>{expectedTarget});
        QCOMPARE(m_browser->currentAddress(),
                 m_server->baseUrl() + QString::fromLatin1(expectedTarget));
    } else {
        QCOMPARE(m_browser->currentAddress(), second);
    }
}

void WebBrowserTest::newerNavigationWins_data() {
    QTest::addColumn<bool>("newerOnWeb");
    QTest::newRow("newer web page") << true;
    QTest::newRow("newer local page") << false;
}

void WebBrowserTest::newerNavigationWins() {
    QFETCH(bool, newerOnWeb);
    TestHttpServer::Response slow;
    slow.body = utf8Page(QStringLiteral("旧页面"));
    slow.delayMs = 400;
    m_server->setRoute("/qob/slow.htm", slow);
    m_server->setPage("/qob/fast.htm", utf8Page(QStringLiteral("新页面")));
    const QString newer =
        newerOnWeb ? m_server->baseUrl() + QStringLiteral("/qob/fast.htm")
                   : writeFile(QStringLiteral("fast.htm"), utf8Page(QStringLiteral("新页面")));
    QSignalSpy answered(m_server.get(), &TestHttpServer::answered);

    m_browser->Navigate(m_server->baseUrl() + QStringLiteral("/qob/slow.htm"));
    QTRY_VERIFY_WITH_TIMEOUT(m_server->requestTargets().contains("/qob/slow.htm"), kWaitMs);
    m_browser->Navigate(newer);
    QVERIFY(waitForLoads(1));

    // Let the slow answer go out, then give it the chance to land.
    while (!std::any_of(answered.cbegin(), answered.cend(), [](const QList<QVariant>& call) {
        return call.at(0).toByteArray() == "/qob/slow.htm";
    }))
        QVERIFY(answered.wait(kWaitMs));
    QVERIFY(!m_loaded->wait(300));

    QCOMPARE(m_loaded->size(), 1);
    QCOMPARE(m_loaded->at(0).at(0).toString(), newer);
    QCOMPARE(m_browser->currentAddress(), newer);
    QVERIFY(m_browser->toPlainText().contains(QStringLiteral("新页面")));
    QVERIFY(!m_browser->toPlainText().contains(QStringLiteral("旧页面")));
}

void WebBrowserTest::addressReachesServerUnchanged_data() {
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<QByteArray>("expectedTarget");
    QTest::addColumn<QByteArray>("decoded");

    const QByteArray record = "QOB|rec|3.1.beta|2005-6-1 00:00:01|a+b|100%|" + kGbkChinese;
    // QByteArray's encoder, not QUrl's: that one takes a QString and writes UTF-8.
    QTest::newRow("record percent-encoded whole")
        << record.toPercentEncoding() << record.toPercentEncoding() << record;
    QTest::newRow("bars, spaces, plus and GBK, colons left")
        << QByteArray("QOB%7Crec%7C2005-6-1%2000:00:01%7Ca%2Bb%7C%D6%D0")
        << QByteArray("QOB%7Crec%7C2005-6-1%2000:00:01%7Ca%2Bb%7C%D6%D0")
        << QByteArray("QOB|rec|2005-6-1 00:00:01|a+b|\xD6\xD0");
    QTest::newRow("encoded delimiters stay encoded")
        << QByteArray("a%2Bb%26act%3Ddelete%23top") << QByteArray("a%2Bb%26act%3Ddelete%23top")
        << QByteArray("a+b&act=delete#top");
    QTest::newRow("bars and spaces not encoded")
        << QByteArray("QOB|rec|2005-6-1 00:00:01|7")
        << QByteArray("QOB%7Crec%7C2005-6-1%2000:00:01%7C7")
        << QByteArray("QOB|rec|2005-6-1 00:00:01|7");
}

void WebBrowserTest::addressReachesServerUnchanged() {
    QFETCH(QByteArray, query);
    QFETCH(QByteArray, expectedTarget);
    QFETCH(QByteArray, decoded);
    m_server->setPage("/qob/list/", utf8Page(QStringLiteral("成绩已收到")));
    const QByteArray prefix = "/qob/list/?act=viewform&reccode=";

    m_browser->Navigate(m_server->baseUrl() + QString::fromLatin1(prefix + query));

    QVERIFY(waitForLoads(1));
    QCOMPARE(m_loaded->at(0).at(1).toBool(), true);
    QCOMPARE(m_server->requestTargets().size(), 1);
    const QByteArray target = m_server->requestTargets().at(0);
    QCOMPARE(target, prefix + expectedTarget);
    QCOMPARE(QByteArray::fromPercentEncoding(target.mid(prefix.size())), decoded);
}

void WebBrowserTest::webPageImages() {
    QImage picture(3, 2, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(picture.save(&buffer, "PNG"));
    }
    QVERIFY(picture.save(path(QStringLiteral("secret.png"))));
    TestHttpServer::Response image;
    image.contentType = "image/png";
    image.body = png;
    m_server->setRoute("/qob/images/dot.png", image);
    const QUrl local = QUrl::fromLocalFile(path(QStringLiteral("secret.png")));
    m_server->setPage(
        "/qob/pics.htm",
        utf8Page(
            QStringLiteral("图片"),
            QStringLiteral("<img src=\"images/dot.png\"><img src=\"%1\">").arg(local.toString())));

    m_browser->Navigate(m_server->baseUrl() + QStringLiteral("/qob/pics.htm"));
    QVERIFY(waitForLoads(1));

    // The web image arrives after the page; a file of this computer never does.
    const QUrl remote(m_server->baseUrl() + QStringLiteral("/qob/images/dot.png"));
    QTRY_COMPARE_WITH_TIMEOUT(
        imageSize(m_browser->document()->resource(QTextDocument::ImageResource, remote)),
        QSize(3, 2), kWaitMs);
    QCOMPARE(imageSize(m_browser->document()->resource(QTextDocument::ImageResource, local)),
             QSize(1, 1));
    QCOMPARE(m_server->requestTargets().count("/qob/images/dot.png"), 1);
}

void WebBrowserTest::hostilePagesNeverStallThePanel_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<bool>("cut");

    const QByteArray html = "text/html; charset=utf-8";
    const QByteArray start = "<p>开头</p>";
    QTest::newRow("22 nested tables")
        << start + repeated("<table><tr><td>", 22) + "x" + repeated("</td></tr></table>", 22)
        << html << true;
    QTest::newRow("20 000 nested lists")
        << start + repeated("<ul><li>", 20000) + "x" + repeated("</li></ul>", 20000) << html
        << true;
    QTest::newRow("20 000 nested elements in a script")
        << start + "<script>" + repeated("<div>", 20000) + "</script><p>后面</p>" << html << true;
    QTest::newRow("180 000 characters without a break")
        << start + "<p>" + QByteArray(180000, 'a') + "</p>" << html << false;
    QTest::newRow("a text of one line of 180 000 characters")
        << QByteArray("开头") + QByteArray(180000, 'a') << QByteArray("text/plain") << false;
    QTest::newRow("20 000 items of one list")
        << start + "<ul>" + repeated("<li>项目</li>", 20000) + "</ul>" << html << true;
    QTest::newRow("20 000 images in one line")
        << start + "<p>" + repeated("<img width=10 height=10>", 20000) + "</p>" << html << true;
    QTest::newRow("10 000 paragraphs four tables deep")
        << start + repeated("<table><tr><td>", 4) + repeated("<p>一段话</p>", 10000) +
               repeated("</td></tr></table>", 4)
        << html << true;
    QTest::newRow("margins past what the layout can count")
        << start + repeated("<p style=\"margin-bottom:100000px\">x</p>", 100) +
               repeated("<p style=\"line-height:100000px\">" + repeated("字", 200) + "</p>", 100)
        << html << true;
    QTest::newRow("spans of a million rows and columns")
        << start + "<table>" +
               repeated("<tr><td rowspan=1000000 colspan=1000000>x</td></tr>", 1000) + "</table>"
        << html << true;
    QTest::newRow("8 MiB of paragraphs")
        << start + repeated("<p>普通的一段</p>", 8 * 1024 * 1024 / 24) << html << true;
}

void WebBrowserTest::hostilePagesNeverStallThePanel() {
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, contentType);
    QFETCH(bool, cut);
    TestHttpServer::Response page;
    page.contentType = contentType;
    page.body = body;
    m_server->setRoute("/qob/page.htm", page);
    const double before = residentMiB();

    const qint64 stall = longestStall(
        [&] { m_browser->Navigate(m_server->baseUrl() + QStringLiteral("/qob/page.htm")); },
        [&] { return !m_loaded->isEmpty(); });

    qInfo("longest stall %lld ms, memory %+.0f MiB", stall, residentMiB() - before);
    QVERIFY(stall >= 0);
    QVERIFY2(stall < 1000,
             qPrintable(QStringLiteral("the panel stood still for %1 ms").arg(stall)));
    QCOMPARE(m_loaded->at(0).at(1).toBool(), true);
    // What comes before the hostile part is there, and a cut says so at the top.
    const QString text = m_browser->toPlainText();
    QVERIFY2(text.contains(QStringLiteral("开头")), qPrintable(text.left(200)));
    QCOMPARE(text.startsWith(kCutNotice), cut);
    if (before >= 0) QVERIFY(residentMiB() - before < 200);
}

void WebBrowserTest::ordinaryPagesLookAsBefore_data() {
    QTest::addColumn<QByteArray>("body");

    QDir help(QStringLiteral(QOB_TEST_HELP));
    const QStringList pages = help.entryList({QStringLiteral("*.htm")}, QDir::Files);
    QVERIFY(pages.size() >= 4);
    for (const QString& name : pages) {
        QFile file(help.filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QTest::newRow(qPrintable(QStringLiteral("help page ") + name)) << file.readAll();
    }

    QByteArray ranking =
        "<html><body><h2>排行榜</h2><table border=1 cellpadding=3>"
        "<tr><th>名次</th><th>称呼</th><th>成绩</th><th>模式</th><th>时间</th></tr>";
    for (int i = 1; i <= 200; ++i)
        ranking += "<tr><td>" + QByteArray::number(i) + "</td><td>玩家" + QByteArray::number(i) +
                   "</td><td>" + QByteArray::number(100000 - i * 37) +
                   "</td><td>过关模式</td><td>2024-3-9 12:" + QByteArray::number(10 + i % 50) +
                   ":00</td></tr>";
    ranking += "</table></body></html>";
    QTest::newRow("ranking of 200 rows") << ranking;

    // An older site: the page in a table, a menu of links, lists, a table of news inside.
    QByteArray site =
        "<html><head><style>td { font-size: 10pt } .menu { color: #336699 }</style></head>"
        "<body bgcolor=#ffffff><table width=\"100%\" cellspacing=0><tr><td colspan=2>"
        "<h1 align=center>珠台之家</h1></td></tr><tr><td width=120 valign=top class=menu>";
    for (int i = 0; i < 12; ++i)
        site += "<a href=\"/qob/p" + QByteArray::number(i) + ".htm\">栏目" + QByteArray::number(i) +
                "</a><br>";
    site += "</td><td valign=top><table border=1 width=\"100%\"><tr><td><ul>";
    for (int i = 0; i < 30; ++i)
        site += "<li>新闻标题 " + QByteArray::number(i) +
                "：霁虹珠台发布了新的版本<ol><li>更快</li><li>更稳</li></ol>";
    site += "</ul></td></tr>";
    for (int i = 0; i < 80; ++i)
        site += "<tr><td><b>第" + QByteArray::number(i) +
                "条</b> 玩家留言，说这个游戏很好玩。"
                "<font color=red size=2>回复</font></td></tr>";
    site +=
        "</table><pre>http://qob.example.net/qob/ssdownload.htm</pre></td></tr></table>"
        "<p>&copy; 2005 霁虹珠台 &nbsp; &lt;QOB&gt;</p></body></html>";
    QTest::newRow("an older site's page of tables and lists") << site;
}

void WebBrowserTest::ordinaryPagesLookAsBefore() {
    QFETCH(QByteArray, body);
    m_server->setPage("/qob/page.htm", body);
    const QUrl url(m_server->baseUrl() + QStringLiteral("/qob/page.htm"));
    m_browser->Navigate(url.toString());
    QVERIFY(waitForLoads(1));
    QCOMPARE(m_loaded->at(0).at(1).toBool(), true);

    // The page as a text browser shows it without any limit.
    QTextBrowser plain;
    plain.resize(m_browser->size());
    plain.show();
    QVERIFY(QTest::qWaitForWindowExposed(&plain));
    plain.document()->setDocumentMargin(6);
    plain.document()->setBaseUrl(url);
    plain.setHtml(QString::fromUtf8(body));
    QTextDocument* shown = m_browser->document();
    QCOMPARE(shown->toHtml(), plain.document()->toHtml());
    QCOMPARE(shown->defaultFont(), plain.document()->defaultFont());
    QCOMPARE(shown->defaultTextOption().wrapMode(),
             plain.document()->defaultTextOption().wrapMode());
    QCOMPARE(shown->documentMargin(), plain.document()->documentMargin());
    QCOMPARE(shown->documentLayout()->documentSize(),
             plain.document()->documentLayout()->documentSize());
    QVERIFY(!m_browser->toPlainText().contains(kCutNotice));
}

void WebBrowserTest::errorPageShortensLongAddresses_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("reason");

    // A record of 60 KB as the upload sends it: 180 000 characters after "reccode=",
    // more than the server takes.
    const QString upload = QStringLiteral("%BASE%/qob/list/?act=viewform&reccode=") +
                           QStringLiteral("QOB%7C").repeated(30000) + QStringLiteral("END");
    QTest::newRow("upload of a 60 KB file") << upload << QStringLiteral("服务器返回错误 431");
    // 1 MiB sent to where no one listens.
    const QString huge =
        QStringLiteral("http://127.0.0.1:%REFUSING%/qob/list/?act=viewform&reccode=") +
        QStringLiteral("%7C").repeated(1024 * 1024) + QStringLiteral("END");
    QTest::newRow("upload of a 1 MiB file") << huge << QStringLiteral("无法连接到服务器");
}

void WebBrowserTest::errorPageShortensLongAddresses() {
    QFETCH(QString, address);
    QFETCH(QString, reason);
    address.replace(QLatin1String("%BASE%"), m_server->baseUrl());
    address.replace(QLatin1String("%REFUSING%"), QString::number(TestHttpServer::refusingPort()));

    const qint64 stall =
        longestStall([&] { m_browser->Navigate(address); }, [&] { return !m_loaded->isEmpty(); });

    qInfo("longest stall %lld ms", stall);
    QVERIFY(stall >= 0);
    QVERIFY2(stall < 1000,
             qPrintable(QStringLiteral("the panel stood still for %1 ms").arg(stall)));
    QCOMPARE(m_loaded->at(0).at(0).toString(), address);
    QCOMPARE(m_loaded->at(0).at(1).toBool(), false);
    const QString text = m_browser->toPlainText();
    QVERIFY2(text.contains(reason), qPrintable(text));
    // Both ends of the address, and not all that lies between.
    QVERIFY2(text.contains(address.left(40)), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("…")) && text.contains(address.right(20)),
             qPrintable(text));
    QVERIFY2(text.size() < 1000, qPrintable(text.left(300)));
}

void WebBrowserTest::webImagesAreBoundedAndReleased() {
    if (residentMiB() < 0) QSKIP("no /proc/self/statm to measure memory with");
    // Pictures of 2000 x 2000 pixels, a few KB each on the wire: 16 MB each once decoded.
    const auto servePage = [&](const QByteArray& name, int images) {
        QByteArray html = "<html><body><p>图片页</p>";
        for (int k = 0; k < images; ++k) {
            QImage picture(2000, 2000, QImage::Format_RGB32);
            picture.fill(QColor::fromHsv((k * 37) % 360, 200, 200));
            TestHttpServer::Response image;
            image.contentType = "image/png";
            image.body = pngOf(picture);
            const QByteArray path = "/qob/" + name + "_" + QByteArray::number(k) + ".png";
            m_server->setRoute(path, image);
            html += "<img src=\"" + path + "\">";
        }
        m_server->setPage("/qob/" + name + ".htm", html + "</body></html>");
    };
    // The images of a page that the panel holds, as they are now.
    const auto shownImages = [&](const QByteArray& name, int images) {
        QList<QSize> sizes;
        for (int k = 0; k < images; ++k) {
            const QUrl url(m_server->baseUrl() + "/qob/" + name + "_" + QByteArray::number(k) +
                           ".png");
            const QSize size =
                imageSize(m_browser->document()->resource(QTextDocument::ImageResource, url));
            if (size.width() > 1) sizes.append(size);
        }
        return sizes;
    };
    // Shows a page and waits until `expected` of its images are in.
    const auto show = [&](const QByteArray& name, int images, int expected) {
        m_loaded->clear();
        const qint64 stall = longestStall(
            [&] { m_browser->Navigate(m_server->baseUrl() + "/qob/" + name + ".htm"); },
            [&] { return !m_loaded->isEmpty() && shownImages(name, images).size() >= expected; },
            500);
        qInfo("%s: longest stall %lld ms, %.0f MiB", name.constData(), stall, residentMiB());
        return stall;
    };
    m_server->setPage("/qob/plain.htm", utf8Page(QStringLiteral("没有图片")));
    show("plain", 0, 0);
    const double base = residentMiB();

    for (const QByteArray& name :
         {QByteArray("first"), QByteArray("second"), QByteArray("third")}) {
        servePage(name, 16);
        const qint64 stall = show(name, 16, 16);
        QVERIFY(stall >= 0 && stall < 1000);
        // All shown, scaled down to a million pixels, their proportions kept.
        for (const QSize& size : shownImages(name, 16))
            QCOMPARE(size, QSize(1024, 1024));
    }
    const double afterThree = residentMiB() - base;

    // A page holds 16 such images at most; the others stay blank.
    servePage("many", 64);
    const qint64 stall = show("many", 64, 16);
    QVERIFY(stall >= 0 && stall < 1000);
    QCOMPARE(shownImages("many", 64).size(), 16);
    const double afterMany = residentMiB() - base;

    // The next page gives the images back.
    show("plain", 0, 0);
    const QUrl gone(m_server->baseUrl() + "/qob/many_0.png");
    QCOMPARE(imageSize(m_browser->document()->resource(QTextDocument::ImageResource, gone)),
             QSize(1, 1));
    const double afterPlain = residentMiB() - base;
    qInfo(
        "memory above the start: %.0f MiB after three pages of 16, %.0f after one of 64, "
        "%.0f after a page without images",
        afterThree, afterMany, afterPlain);
    QVERIFY(afterThree < 120);
    QVERIFY(afterMany < 120);
    QVERIFY(afterPlain < 40);
}

// The sizes a page sets, as the panel's document holds them.
struct PageSizes {
    double textPoints = 0;  // the paragraph's explicit size
    double cellPadding = 0;
    double cellPoints = 0;  // the cell's own text
    double height = 0;

    static PageSizes of(QTextDocument* doc) {
        PageSizes sizes;
        for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
            // An empty block has no fragment to ask: its begin() is its end.
            if (block.begin().atEnd()) continue;
            const QTextCharFormat chars = block.begin().fragment().charFormat();
            if (block.text() == QStringLiteral("大字")) sizes.textPoints = chars.fontPointSize();
            if (block.text() == QStringLiteral("格子")) {
                sizes.cellPoints = chars.fontPointSize();
                sizes.cellPadding =
                    block.charFormat().doubleProperty(QTextFormat::TableCellLeftPadding);
            }
        }
        sizes.height = doc->documentLayout()->documentSize().height();
        return sizes;
    }
};

void WebBrowserTest::zoomScalesThePageOnce() {
    const QString file = writeFile(
        QStringLiteral("help/zoom.htm"),
        utf8Page(QStringLiteral("缩放"),
                 "<p style=\"font-size: 12pt\">大字</p><table border=\"1\"><tr>"
                 "<td style=\"padding: 5px; font-size: 9pt\">格子</td><td>别的</td></tr></table>"));
    m_browser->resize(300, 400);
    m_browser->Navigate(file);
    const PageSizes natural = PageSizes::of(m_browser->document());
    QCOMPARE(natural.textPoints, 12.0);
    QCOMPARE(natural.cellPadding, 5.0);

    // Each length once: a cell's format is also the format of its first block.
    m_browser->resize(600, 800);
    m_browser->setZoom(2);
    const PageSizes zoomed = PageSizes::of(m_browser->document());
    QCOMPARE(zoomed.textPoints, 24.0);
    QCOMPARE(zoomed.cellPoints, 18.0);
    QCOMPARE(zoomed.cellPadding, 10.0);
    QVERIFY2(zoomed.height > 1.8 * natural.height, qPrintable(QString::number(zoomed.height)));
    QCOMPARE(m_browser->document()->defaultFont().pointSizeF(), 2 * m_browser->font().pointSizeF());
    // Shown again, not loaded again.
    QCOMPARE(m_loaded->size(), 1);

    // Back to the size it is written in, and a new page at the zoom in force.
    m_browser->resize(300, 400);
    m_browser->setZoom(1);
    QCOMPARE(PageSizes::of(m_browser->document()).height, natural.height);
    m_browser->setZoom(1.5);
    m_browser->Navigate(file);
    QCOMPARE(PageSizes::of(m_browser->document()).textPoints, 18.0);
}

QTEST_MAIN(WebBrowserTest)
#include "WebBrowserTest.moc"
