#pragma once

#include <QList>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>

#include <utility>

class QNetworkAccessManager;
class QNetworkReply;
class QTextDocument;

namespace qob {

// The side panel that shows the help pages and the score website (WebBrowser1). It shows
// local HTML files and http/https pages, follows the links a page holds inside itself, and
// shows a short page of its own when a page cannot be loaded. A page from the web is
// bounded before it is laid out (MarkupLimits, DocumentLimits), with a notice at its top
// when something had to be left out, and its images are decoded within a budget; every
// page comes in a document of its own, which goes, images and all, with the next page.
class WebBrowser : public QTextBrowser {
    Q_OBJECT

  public:
    static constexpr int DefaultTimeoutMs = 15000;

    explicit WebBrowser(QWidget* parent = nullptr);
    ~WebBrowser() override;

    // Opens `address`: an http:// or https:// address, sent as given (percent-encoding
    // included), or a local file as a path ("\" taken as "/") or a file: URL. Local files
    // are shown before this returns; web pages when they arrive, without blocking. A newer
    // call replaces a page still loading.
    void Navigate(const QString& address);

    // The local page that the panel's own error page offers as a way back.
    void setHomePage(const QString& localPath);

    // Time allowed for a web page, from the request to the last byte.
    void setTimeout(int ms) { m_timeoutMs = ms; }
    int timeout() const { return m_timeoutMs; }

    // The address of the latest navigation, as given (for a followed link, the link's
    // resolved address).
    QString currentAddress() const { return m_address; }
    // Where the page shown came from, after redirects; empty for the panel's own pages.
    QUrl currentUrl() const { return m_pageUrl; }
    bool isLoading() const { return !m_reply.isNull(); }

  signals:
    // A navigation ended with the page shown (ok) or the panel's error page (not ok).
    // A navigation replaced by a newer one ends without this signal.
    void pageLoaded(const QString& address, bool ok);

  protected:
    QVariant loadResource(int type, const QUrl& name) override;

  private:
    void onAnchorClicked(const QUrl& link);
    void onReplyFinished(QNetworkReply* reply);
    void openLocal(const QString& address, const QUrl& url);
    void openWeb(const QString& address, const QUrl& url);
    void showContent(const QString& address, const QUrl& url, const QByteArray& data,
                     const QByteArray& contentType, bool fromWeb);
    void showError(const QString& address, const QString& reason);
    QTextDocument* newDocument(const QUrl& base);
    void showDocument(QTextDocument* doc);
    void cancelLoading();
    void cancelImages();
    void fetchImage(const QUrl& url);

    QNetworkAccessManager* m_network = nullptr;
    QPointer<QNetworkReply> m_reply;
    QList<QPointer<QNetworkReply>> m_imageReplies;
    QSet<QUrl> m_requestedImages;
    QTimer m_deadline;
    QTimer m_decode;
    QTimer m_relayout;
    QList<std::pair<QUrl, QByteArray>> m_arrivedImages;  // not decoded yet
    qint64 m_pixelsLeft = 0;  // of the decoded images the page may still hold
    QString m_address;
    QUrl m_pageUrl;
    bool m_webPage = false;
    QString m_homePage;
    int m_timeoutMs = DefaultTimeoutMs;
};

}  // namespace qob
