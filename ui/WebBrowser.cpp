#include "WebBrowser.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPalette>
#include <QStringConverter>
#include <QStringDecoder>
#include <QTextDocument>
#include <QTextOption>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <optional>

#include "DocumentLimits.h"
#include "MarkupLimits.h"

namespace qob {

namespace {

// Anything bigger is refused rather than held in memory.
constexpr qint64 kMaxPageBytes = 8 * 1024 * 1024;
constexpr qint64 kMaxImageBytes = 4 * 1024 * 1024;
constexpr int kMaxImagesPerPage = 64;
// Decoded images: one is scaled down to at most this many pixels (4 MiB), the images of a
// page together hold at most the second figure (64 MiB), and a picture that would need more
// than the third to be decoded at all is refused.
constexpr qint64 kMaxImagePixels = 1024 * 1024;
constexpr qint64 kMaxPagePixels = 16 * 1024 * 1024;
constexpr int kDecodeLimitMiB = 64;
// Past this length, an address on the panel's own pages shows its two ends only.
constexpr qsizetype kShownAddressLength = 120;

const char16_t* const kCutNotice = u"此页内容太多或太复杂，有一部分没有显示。";

enum class ContentKind { Html, Text, Image, Other };

bool isWebScheme(const QString& scheme) {
    return scheme.compare(QLatin1String("http"), Qt::CaseInsensitive) == 0 ||
           scheme.compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
}

// Labels of the GB family are all read as GB18030, which covers GBK and GB2312, as web
// browsers do; ICU's own "gb2312" would turn the GBK characters of such pages into junk.
std::optional<QStringDecoder> decoderForLabel(QByteArray label) {
    label = label.trimmed().toLower();
    static const QByteArrayList gbFamily = {
        "gb2312",    "gbk",   "x-gbk", "gb_2312-80",  "gb_2312", "chinese", "csgb2312",
        "iso-ir-58", "cp936", "ms936", "windows-936", "euc-cn",  "gb18030", "csiso58gb231280"};
    if (gbFamily.contains(label)) label = "GB18030";
    QStringDecoder decoder(label.constData());
    if (!decoder.isValid()) return std::nullopt;
    return decoder;
}

QByteArray charsetParameter(const QByteArray& contentType) {
    for (const QByteArray& part : contentType.split(';')) {
        const QByteArray parameter = part.trimmed();
        if (!parameter.toLower().startsWith("charset=")) continue;
        QByteArray value = parameter.mid(8).trimmed();
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\''))
            value = value.mid(1, value.size() - 2);
        return value;
    }
    return {};
}

// The charset named by a <meta> tag near the start of a page, in either of its two forms.
QByteArray metaCharset(const QByteArray& data) {
    const QByteArray head = data.left(4096).toLower();
    qsizetype pos = 0;
    while ((pos = head.indexOf("<meta", pos)) >= 0) {
        qsizetype end = head.indexOf('>', pos);
        if (end < 0) end = head.size();
        const QByteArray tag = head.mid(pos, end - pos);
        pos = end;
        qsizetype at = tag.indexOf("charset");
        if (at < 0) continue;
        at += 7;
        while (at < tag.size() && tag[at] == ' ')
            ++at;
        if (at >= tag.size() || tag[at] != '=') continue;
        ++at;
        while (at < tag.size() && (tag[at] == ' ' || tag[at] == '"' || tag[at] == '\''))
            ++at;
        qsizetype stop = at;
        while (stop < tag.size() &&
               (std::isalnum(static_cast<unsigned char>(tag[stop])) || tag[stop] == '-' ||
                tag[stop] == '_' || tag[stop] == '.' || tag[stop] == ':'))
            ++stop;
        if (stop > at) return tag.mid(at, stop - at);
    }
    return {};
}

// A byte-order mark wins, then the charset the server declared, then a meta tag. Text that
// declares nothing and is not valid UTF-8 is read as GB18030, what unlabelled Chinese pages
// are written in.
QString decodeText(const QByteArray& data, const QByteArray& declared, bool html) {
    if (const auto bom = QStringConverter::encodingForData(data)) {
        QStringDecoder decoder(*bom);
        return decoder.decode(data);
    }
    QByteArray label = declared;
    if (label.isEmpty() && html) label = metaCharset(data);
    if (!label.isEmpty()) {
        if (auto decoder = decoderForLabel(label)) return decoder->decode(data);
    }
    QStringDecoder utf8(QStringConverter::Utf8);
    const QString text = utf8.decode(data);
    if (!utf8.hasError()) return text;
    QStringDecoder gb("GB18030");
    return gb.isValid() ? QString(gb.decode(data)) : text;
}

ContentKind kindOfMimeType(const QByteArray& contentType) {
    const QByteArray mime = contentType.split(';').first().trimmed().toLower();
    if (mime.isEmpty() || mime == "text/html" || mime == "application/xhtml+xml")
        return ContentKind::Html;
    if (mime.startsWith("text/")) return ContentKind::Text;
    if (mime.startsWith("image/")) return ContentKind::Image;
    return ContentKind::Other;
}

ContentKind kindOfFile(const QString& path, const QByteArray& data) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("htm") || suffix == QLatin1String("html") ||
        suffix == QLatin1String("xhtml") || suffix == QLatin1String("shtml"))
        return ContentKind::Html;
    if (suffix == QLatin1String("txt")) return ContentKind::Text;
    if (suffix == QLatin1String("gif") || suffix == QLatin1String("png") ||
        suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg") ||
        suffix == QLatin1String("bmp"))
        return ContentKind::Image;
    return Qt::mightBeRichText(decodeText(data.left(4096), {}, true)) ? ContentKind::Html
                                                                      : ContentKind::Text;
}

QString reasonFor(QNetworkReply::NetworkError error) {
    switch (error) {
        case QNetworkReply::ConnectionRefusedError:
            return QStringLiteral("无法连接到服务器");
        case QNetworkReply::HostNotFoundError:
            return QStringLiteral("找不到服务器");
        case QNetworkReply::TimeoutError:
            return QStringLiteral("连接超时");
        case QNetworkReply::RemoteHostClosedError:
            return QStringLiteral("服务器断开了连接");
        case QNetworkReply::SslHandshakeFailedError:
            return QStringLiteral("无法建立安全连接");
        case QNetworkReply::TooManyRedirectsError:
        case QNetworkReply::InsecureRedirectError:
            return QStringLiteral("网页转向出错");
        case QNetworkReply::TemporaryNetworkFailureError:
        case QNetworkReply::NetworkSessionFailedError:
            return QStringLiteral("网络不可用");
        case QNetworkReply::ProxyConnectionRefusedError:
        case QNetworkReply::ProxyConnectionClosedError:
        case QNetworkReply::ProxyNotFoundError:
        case QNetworkReply::ProxyTimeoutError:
        case QNetworkReply::ProxyAuthenticationRequiredError:
            return QStringLiteral("代理服务器出错");
        case QNetworkReply::ProtocolUnknownError:
            return QStringLiteral("不支持这种地址");
        default:
            return QStringLiteral("网络错误");
    }
}

// Stands in for an image that is not here (yet): a value, so that the document does not go
// looking for the file on its own, and transparent, so that nothing shows.
QImage blankImage() {
    QImage image(1, 1, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

// Decodes a picture from the web, scaled down to kMaxImagePixels, and only when its pixels
// fit in what the page has left; a null image otherwise. The size is read from the
// picture's header before anything is decoded.
QImage decodeImage(const QByteArray& data, qint64& pixelsLeft) {
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAllocationLimit(kDecodeLimitMiB);
    QSize size = reader.size();
    if (!size.isValid() || size.isEmpty()) return {};
    const qint64 pixels = qint64(size.width()) * size.height();
    if (pixels > kMaxImagePixels) {
        const double scale = std::sqrt(double(kMaxImagePixels) / double(pixels));
        size =
            QSize(std::max(1, int(size.width() * scale)), std::max(1, int(size.height() * scale)));
        reader.setScaledSize(size);
    }
    const qint64 kept = qint64(size.width()) * size.height();
    if (kept > pixelsLeft) return {};
    QImage image = reader.read();
    if (image.isNull()) return {};
    pixelsLeft -= qint64(image.width()) * image.height();
    return image;
}

// The address as the panel's own pages show it: whole when short, else its beginning and
// end, so that no page lays out an address hundreds of thousands of characters long.
QString shownAddress(const QString& address) {
    if (address.size() <= kShownAddressLength) return address;
    qsizetype head = kShownAddressLength / 2;
    qsizetype tail = kShownAddressLength / 3;
    if (address.at(head - 1).isHighSurrogate()) --head;
    if (address.at(address.size() - tail).isLowSurrogate()) --tail;
    return address.left(head) + QStringLiteral("…") + address.right(tail);
}

}  // namespace

WebBrowser::WebBrowser(QWidget* parent)
    : QTextBrowser(parent), m_network(new QNetworkAccessManager(this)) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
    QPalette colours = palette();
    colours.setColor(QPalette::Base, Qt::white);
    colours.setColor(QPalette::Text, QColor(0x22, 0x22, 0x22));
    setPalette(colours);
    document()->setDocumentMargin(6);

    m_decode.setSingleShot(true);
    m_decode.setInterval(0);
    connect(&m_decode, &QTimer::timeout, this, [this] {
        if (m_arrivedImages.isEmpty()) return;
        const auto [url, data] = m_arrivedImages.takeFirst();
        if (!m_arrivedImages.isEmpty()) m_decode.start();
        const QImage image = decodeImage(data, m_pixelsLeft);
        if (image.isNull()) return;
        document()->addResource(QTextDocument::ImageResource, url, image);
        // Lay the page out again so that the image takes its place.
        m_relayout.start();
    });
    // Images that arrive close together are laid out once.
    m_relayout.setSingleShot(true);
    m_relayout.setInterval(100);
    connect(&m_relayout, &QTimer::timeout, this, [this] {
        document()->markContentsDirty(0, document()->characterCount());
        viewport()->update();
    });

    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        if (!m_reply) return;
        cancelLoading();
        showError(m_address, QStringLiteral("连接超时"));
    });
    connect(this, &QTextBrowser::anchorClicked, this, &WebBrowser::onAnchorClicked);
}

WebBrowser::~WebBrowser() {
    // The replies must not call back into a panel that is half gone.
    cancelLoading();
    cancelImages();
}

void WebBrowser::setHomePage(const QString& localPath) {
    QString path = localPath;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    m_homePage = path;
}

void WebBrowser::Navigate(const QString& address) {
    const QString text = address.trimmed();
    QString problem;
    QUrl url;
    if (text.isEmpty()) {
        problem = QStringLiteral("地址是空的");
    } else if (text.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
               text.startsWith(QLatin1String("https://"), Qt::CaseInsensitive)) {
        // Strict parsing keeps what the caller percent-encoded as it is; the tolerant
        // fallback encodes what strict parsing refuses, such as spaces and "|".
        url = QUrl(text, QUrl::StrictMode);
        if (!url.isValid()) url = QUrl(text, QUrl::TolerantMode);
        if (!url.isValid() || url.host().isEmpty()) problem = QStringLiteral("地址无效");
    } else if (text.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
        QString fileUrl = text;
        fileUrl.replace(QLatin1Char('\\'), QLatin1Char('/'));
        url = QUrl(fileUrl, QUrl::TolerantMode);
        if (!url.isLocalFile() || url.toLocalFile().isEmpty()) problem = QStringLiteral("地址无效");
    } else if (QUrl(text).scheme().size() > 1) {
        // mailto:, ftp: and the like; a one-letter scheme is a drive letter.
        problem = QStringLiteral("不支持这种地址");
    } else {
        QString path = text;
        path.replace(QLatin1Char('\\'), QLatin1Char('/'));
        url = QUrl::fromLocalFile(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    }

    cancelLoading();
    m_address = address;
    if (!problem.isEmpty()) {
        showError(address, problem);
    } else if (url.isLocalFile()) {
        openLocal(address, url);
    } else {
        openWeb(address, url);
    }
}

void WebBrowser::onAnchorClicked(const QUrl& link) {
    const QUrl target = m_pageUrl.isEmpty() ? link : m_pageUrl.resolved(link);
    if (target.isRelative()) return;
    if (target.hasFragment() && !m_pageUrl.isEmpty() &&
        target.adjusted(QUrl::RemoveFragment) == m_pageUrl.adjusted(QUrl::RemoveFragment)) {
        scrollToAnchor(target.fragment());
        return;
    }
    if (isWebScheme(target.scheme())) {
        const QString address = target.toString(QUrl::FullyEncoded);
        cancelLoading();
        m_address = address;
        openWeb(address, target);
    } else if (target.isLocalFile() && !m_webPage) {
        // A page from the web never opens files of this computer.
        const QString address = target.toLocalFile();
        cancelLoading();
        m_address = address;
        openLocal(address, target);
    }
}

void WebBrowser::openLocal(const QString& address, const QUrl& url) {
    const QString path = url.toLocalFile();
    const QFileInfo info(path);
    if (!info.exists()) return showError(address, QStringLiteral("文件不存在"));
    if (!info.isFile()) return showError(address, QStringLiteral("这不是一个网页文件"));
    if (info.size() > kMaxPageBytes) return showError(address, QStringLiteral("文件太大"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return showError(address, QStringLiteral("无法读取文件"));
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return showError(address, QStringLiteral("无法读取文件"));
    showContent(address, url, data, {}, false);
}

void WebBrowser::openWeb(const QString& address, const QUrl& url) {
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(10);
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArrayLiteral("QOB/3.1"));
    request.setRawHeader("Accept-Language", "zh-CN,zh;q=0.9");
    QNetworkReply* reply = m_network->get(request);
    m_reply = reply;
    connect(reply, &QNetworkReply::finished, this, [this, reply] { onReplyFinished(reply); });
    connect(reply, &QNetworkReply::downloadProgress, this, [this, address](qint64 received) {
        if (received <= kMaxPageBytes) return;
        cancelLoading();
        showError(address, QStringLiteral("网页太大"));
    });
    m_deadline.start(m_timeoutMs);
}

void WebBrowser::onReplyFinished(QNetworkReply* reply) {
    reply->deleteLater();
    if (reply != m_reply) return;
    m_reply = nullptr;
    m_deadline.stop();

    const QString address = m_address;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 400) return showError(address, QStringLiteral("服务器返回错误 %1").arg(status));
    if (reply->error() != QNetworkReply::NoError)
        return showError(address, reasonFor(reply->error()));
    showContent(address, reply->url(), reply->readAll(), reply->rawHeader("Content-Type"), true);
}

void WebBrowser::showContent(const QString& address, const QUrl& url, const QByteArray& data,
                             const QByteArray& contentType, bool fromWeb) {
    const ContentKind kind =
        fromWeb ? kindOfMimeType(contentType) : kindOfFile(url.toLocalFile(), data);
    const QByteArray charset = charsetParameter(contentType);
    if (kind == ContentKind::Other) return showError(address, QStringLiteral("无法显示这种内容"));
    cancelImages();
    QImage image;
    if (kind == ContentKind::Image) {
        if (fromWeb)
            image = decodeImage(data, m_pixelsLeft);
        else
            image.loadFromData(data);
        if (image.isNull()) return showError(address, QStringLiteral("无法显示这张图片"));
    }

    m_pageUrl = url;
    m_webPage = fromWeb;
    const QUrl page = url.adjusted(QUrl::RemoveFragment);
    // Relative links, images and style sheets resolve against the page's own address.
    QTextDocument* doc = newDocument(page);
    bool cut = false;
    switch (kind) {
        case ContentKind::Html: {
            const QString html = decodeText(data, charset, true);
            if (!fromWeb) {
                doc->setHtml(html);
                break;
            }
            const LimitedMarkup limited = limitMarkup(html);
            doc->setHtml(limited.html);
            cut = limited.cut;
            break;
        }
        case ContentKind::Text: {
            const QString text = decodeText(data, charset, false);
            doc->setPlainText(fromWeb ? breakLongRuns(text) : text);
            break;
        }
        case ContentKind::Image:
        case ContentKind::Other:
            doc->setHtml(QStringLiteral("<img src=\"%1\">")
                             .arg(page.toString(QUrl::FullyEncoded).toHtmlEscaped()));
            doc->addResource(QTextDocument::ImageResource, page, image);
            break;
    }
    if (fromWeb) {
        const double width = std::max(100, viewport()->width()) - 2 * doc->documentMargin();
        cut = limitDocument(*doc, width, logicalDpiY()) || cut;
        if (cut) addCutNotice(*doc, QString::fromUtf16(kCutNotice));
    }
    showDocument(doc);
    if (url.hasFragment()) scrollToAnchor(url.fragment());
    emit pageLoaded(address, true);
}

void WebBrowser::showDocument(QTextDocument* doc) {
    // The panel's own documents go as soon as they are replaced, and their images with them;
    // the one the panel was made with goes by itself.
    QTextDocument* old = document();
    const bool ours = old->parent() == this;
    setDocument(doc);
    if (ours) delete old;
}

QTextDocument* WebBrowser::newDocument(const QUrl& base) {
    // A new document for every page: the old one goes with all its images. As a child of
    // the panel it asks the panel for what it links to.
    auto* doc = new QTextDocument(this);
    doc->setDefaultFont(font());
    doc->setDocumentMargin(6);
    QTextOption option = doc->defaultTextOption();
    option.setWrapMode(wordWrapMode());
    doc->setDefaultTextOption(option);
    doc->setBaseUrl(base);
    return doc;
}

void WebBrowser::showError(const QString& address, const QString& reason) {
    cancelImages();
    m_pageUrl = QUrl();
    m_webPage = false;
    QString html = QStringLiteral(
                       "<h2 style=\"color: #3a5f8a;\">无法打开此页</h2>"
                       "<p>地址：<br><span style=\"color: #555555;\">%1</span></p>"
                       "<p>原因：%2</p>")
                       .arg(shownAddress(address).toHtmlEscaped(), reason.toHtmlEscaped());
    if (!m_homePage.isEmpty()) {
        const QString home = QUrl::fromLocalFile(m_homePage).toString(QUrl::FullyEncoded);
        html += QStringLiteral("<p><a href=\"%1\">返回首页</a></p>").arg(home.toHtmlEscaped());
    }
    QTextDocument* doc = newDocument(QUrl());
    doc->setHtml(html);
    showDocument(doc);
    emit pageLoaded(address, false);
}

void WebBrowser::cancelLoading() {
    m_deadline.stop();
    if (QNetworkReply* reply = m_reply) {
        m_reply = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}

void WebBrowser::cancelImages() {
    for (const QPointer<QNetworkReply>& reply : std::as_const(m_imageReplies)) {
        if (!reply) continue;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
    m_imageReplies.clear();
    m_requestedImages.clear();
    m_pixelsLeft = kMaxPagePixels;
    m_arrivedImages.clear();
    m_decode.stop();
    m_relayout.stop();
}

QVariant WebBrowser::loadResource(int type, const QUrl& name) {
    // Every answer here is a value, even for what cannot be had: given nothing, the
    // document would read the file itself.
    const QUrl url = m_pageUrl.isEmpty() ? name : m_pageUrl.resolved(name);
    // The document decodes data: addresses itself when given nothing.
    if (url.scheme().compare(QLatin1String("data"), Qt::CaseInsensitive) == 0) return {};
    const bool wantsImage = type == QTextDocument::ImageResource;
    const QVariant nothing = wantsImage ? QVariant(blankImage()) : QVariant(QByteArray(""));
    if (url.isLocalFile()) {
        if (m_webPage) return nothing;
        const QFileInfo info(url.toLocalFile());
        if (!info.isFile() || info.size() > kMaxPageBytes) return nothing;
        QFile file(info.filePath());
        if (!file.open(QIODevice::ReadOnly)) return nothing;
        return file.readAll();
    }
    if (wantsImage && isWebScheme(url.scheme())) fetchImage(url);
    return nothing;
}

void WebBrowser::fetchImage(const QUrl& url) {
    if (m_requestedImages.contains(url) || m_requestedImages.size() >= kMaxImagesPerPage) return;
    m_requestedImages.insert(url);
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(m_timeoutMs);
    QNetworkReply* reply = m_network->get(request);
    m_imageReplies.append(reply);
    connect(reply, &QNetworkReply::downloadProgress, this, [reply](qint64 received) {
        if (received > kMaxImageBytes) reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply, url] {
        reply->deleteLater();
        m_imageReplies.removeAll(reply);
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (reply->error() != QNetworkReply::NoError || status >= 400) return;
        // Decoded one by one, so that the window gets its turn between two pictures.
        m_arrivedImages.append({url, reply->readAll()});
        if (!m_decode.isActive()) m_decode.start();
    });
}

}  // namespace qob
