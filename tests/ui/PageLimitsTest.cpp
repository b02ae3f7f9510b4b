#include <QAbstractTextDocumentLayout>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>

#include <algorithm>
#include <cmath>

#include "DocumentLimits.h"
#include "MarkupLimits.h"

using qob::DocumentLimits;
using qob::MarkupLimits;

namespace {

const QString kBreak = QString(QChar(0x200B));
const QString kMarker = QStringLiteral("……");

QString times(const QString& piece, int n) {
    return piece.repeated(n);
}

// A document parsed as the panel parses a web page, limited as the panel limits it.
struct Limited {
    explicit Limited(const QString& html) {
        doc.setDocumentMargin(6);
        doc.setHtml(html);
        cut = qob::limitDocument(doc, 388, 96);
    }
    QTextDocument doc;
    bool cut = false;
};

}  // namespace

class PageLimitsTest : public QObject {
    Q_OBJECT

  private slots:
    void markup_data();
    void markup();
    void runsBreakWithoutSplittingCharacters();
    void lengthsKeepOrdinaryValues();
    void costlyPagesAreCutWhereTheBudgetEnds_data();
    void costlyPagesAreCutWhereTheBudgetEnds();
};

void PageLimitsTest::markup_data() {
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("expected");  // empty: the page as it was
    QTest::addColumn<bool>("cut");

    QTest::newRow("an ordinary page stays as it is")
        << QStringLiteral(
               "<!DOCTYPE html><html><head><title>排行榜</title><style>p{margin:0}</style>"
               "<script>var a = 1;</script></head><body><!-- <b> not a tag --><p>一<p>二"
               "<ul><li>x<li>y</ul><table><tr><td>1<td colspan=\"2\">2<tr><td>3</table>"
               "&nbsp;&lt;中文 <img src=a.png> <b/>a<br/>b</body></html>")
        << QString() << false;
    QTest::newRow("tables inside tables, past eight")
        << times(QStringLiteral("<table><tr><td>"), 22) + QStringLiteral("x") +
               times(QStringLiteral("</td></tr></table>"), 22)
        << times(QStringLiteral("<table><tr><td>"), 8) + kMarker +
               times(QStringLiteral("</td></tr></table>"), 8)
        << true;
    QTest::newRow("elements inside elements, past 64")
        << times(QStringLiteral("<div>"), 70) + QStringLiteral("x") +
               times(QStringLiteral("</div>"), 70) + QStringLiteral("<p>后</p>")
        << times(QStringLiteral("<div>"), 64) + kMarker + times(QStringLiteral("</div>"), 64) +
               QStringLiteral("<p>后</p>")
        << true;
    QTest::newRow("a script closes all it holds")
        << QStringLiteral("<script>") + times(QStringLiteral("<div>"), 20000) +
               QStringLiteral("</script><p>后</p>")
        << QStringLiteral("<script>") + times(QStringLiteral("<div>"), 63) + kMarker +
               QStringLiteral("</script><p>后</p>")
        << true;
    QTest::newRow("list items past 1000, with and without end tags")
        << QStringLiteral("<ul>") + times(QStringLiteral("<li>i</li>"), 1003) +
               QStringLiteral("</ul><ol>") + times(QStringLiteral("<li>j"), 1002) +
               QStringLiteral("</ol><p>后</p>")
        << QStringLiteral("<ul>") + times(QStringLiteral("<li>i</li>"), 1000) + kMarker +
               QStringLiteral("</ul><ol>") + times(QStringLiteral("<li>j"), 1000) + kMarker +
               QStringLiteral("</ol><p>后</p>")
        << true;
    QTest::newRow("images past 256")
        << QStringLiteral("<p>") + times(QStringLiteral("<img src=a.png>"), 300) +
               QStringLiteral("</p>")
        << QStringLiteral("<p>") + times(QStringLiteral("<img src=a.png>"), 256) + kMarker +
               QStringLiteral("</p>")
        << true;
    QTest::newRow("spans lowered to 64")
        << QStringLiteral(
               "<table><tr><td colspan=1000 rowspan=\"99999999999999999999\">x"
               "<td colspan=64 rowspan=abc>y</table>")
        << QStringLiteral(
               "<table><tr><td colspan=64 rowspan=\"64\">x"
               "<td colspan=64 rowspan=abc>y</table>")
        << false;
    QTest::newRow("rows past the slots of all tables")
        << QStringLiteral("<table>") +
               times(QStringLiteral("<tr><td colspan=64>x</td></tr>"), 400) +
               QStringLiteral("</table><p>后</p>")
        << QStringLiteral("<table>") +
               times(QStringLiteral("<tr><td colspan=64>x</td></tr>"), 312) +
               QStringLiteral("</table><p>后</p>")
        << true;
    QTest::newRow("rowspans push later cells aside")
        << QStringLiteral("<table>") +
               times(QStringLiteral("<tr><td rowspan=64>x</td></tr>"), 400) +
               QStringLiteral("</table>")
        << QString() << true;
    QTest::newRow("elements past 20 000")
        << times(QStringLiteral("<p>a</p>"), 20005)
        << times(QStringLiteral("<p>a</p>"), 20000) + kMarker << true;
    QTest::newRow("a run of 450 characters")
        << QStringLiteral("<p>") + times(QStringLiteral("a"), 450) + QStringLiteral("</p>")
        << QStringLiteral("<p>") + times(QStringLiteral("a"), 200) + kBreak +
               times(QStringLiteral("a"), 200) + kBreak + times(QStringLiteral("a"), 50) +
               QStringLiteral("</p>")
        << false;
    QTest::newRow("a run goes on through inline tags and entities")
        << times(QStringLiteral("a"), 150) + QStringLiteral("<b>") +
               times(QStringLiteral("&nbsp;"), 100) + QStringLiteral("</b>")
        << times(QStringLiteral("a"), 150) + QStringLiteral("<b>") +
               times(QStringLiteral("&nbsp;"), 50) + kBreak + times(QStringLiteral("&nbsp;"), 50) +
               QStringLiteral("</b>")
        << false;
    QTest::newRow("blanks, line ends and CJK characters break runs")
        << times(times(QStringLiteral("a"), 150) + QStringLiteral(" "), 3) +
               times(QStringLiteral("a"), 150) + QStringLiteral("<br>") +
               times(QStringLiteral("a"), 150) + times(QStringLiteral("中"), 500)
        << QString() << false;
    QTest::newRow("style sheets are never broken")
        << QStringLiteral("<style>") + times(QStringLiteral("p{margin:0}"), 100) +
               QStringLiteral("</style>x")
        << QString() << false;
}

void PageLimitsTest::markup() {
    QFETCH(QString, html);
    QFETCH(QString, expected);
    QFETCH(bool, cut);
    const qob::LimitedMarkup limited = qob::limitMarkup(html);
    if (expected.isEmpty() && !cut) expected = html;
    if (!expected.isEmpty()) QCOMPARE(limited.html, expected);
    QCOMPARE(limited.cut, cut);
}

void PageLimitsTest::runsBreakWithoutSplittingCharacters() {
    const QString smiles = times(QStringLiteral("😀"), 300);
    const QString broken = qob::limitMarkup(smiles).html;
    QCOMPARE(broken, times(QStringLiteral("😀"), 200) + kBreak + times(QStringLiteral("😀"), 100));
    QCOMPARE(qob::breakLongRuns(smiles), broken);
    const QString text =
        times(QStringLiteral("x"), 401) + QStringLiteral("\n") + times(QStringLiteral("y"), 200);
    QCOMPARE(qob::breakLongRuns(text), times(QStringLiteral("x"), 200) + kBreak +
                                           times(QStringLiteral("x"), 200) + kBreak +
                                           QStringLiteral("x\n") + times(QStringLiteral("y"), 200));
}

void PageLimitsTest::lengthsKeepOrdinaryValues() {
    Limited page(QStringLiteral(
        "<p style=\"margin-left:100000px; margin-bottom:100000px; line-height:100000px; "
        "font-size:100000px; letter-spacing:100000px; word-spacing:100000px; "
        "text-indent:-100000px\">x</p>"
        "<ul style=\"-qt-list-indent:100000\"><li>y</li></ul>"
        "<table border=100000 cellpadding=100000 cellspacing=100000 width=100000>"
        "<tr><td style=\"padding:100000px\">z</td></tr></table>"
        "<p><img width=100000 height=50000></p>"
        "<p style=\"font-size:12pt\">ordinary</p>"));
    QVERIFY(!page.cut);
    QCOMPARE(page.doc.toPlainText().remove(QChar::ObjectReplacementCharacter).simplified(),
             QStringLiteral("x y z ordinary"));

    const QTextBlock first = page.doc.begin();
    const QTextBlockFormat block = first.blockFormat();
    QCOMPARE(block.leftMargin(), DocumentLimits::MaxMargin);
    QCOMPARE(block.bottomMargin(), DocumentLimits::MaxMargin);
    QCOMPARE(block.textIndent(), -DocumentLimits::MaxMargin);
    QVERIFY(block.lineHeight() <= DocumentLimits::MaxMargin);
    QVERIFY(!first.begin().atEnd());
    const QTextCharFormat chars = first.begin().fragment().charFormat();
    QVERIFY(chars.fontPointSize() <= DocumentLimits::MaxFontPoints);
    QVERIFY(chars.intProperty(QTextFormat::FontPixelSize) <= DocumentLimits::MaxFontPixels);
    QVERIFY(chars.fontPointSize() > 0 || chars.intProperty(QTextFormat::FontPixelSize) > 0);
    QCOMPARE(chars.fontLetterSpacing(), 100.0);
    QCOMPARE(chars.fontWordSpacing(), 200.0);

    bool sawList = false;
    bool sawImage = false;
    for (QTextBlock b = page.doc.begin(); b.isValid(); b = b.next()) {
        if (b.textList()) {
            sawList = true;
            QVERIFY(b.textList()->format().indent() <= DocumentLimits::MaxIndent);
        }
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            if (!it.fragment().charFormat().isImageFormat()) continue;
            sawImage = true;
            const QTextImageFormat image = it.fragment().charFormat().toImageFormat();
            QCOMPARE(image.width(), DocumentLimits::MaxLength);
            QCOMPARE(image.height(), DocumentLimits::MaxLength / 2);
        }
        if (b.text() == QLatin1String("ordinary"))
            QCOMPARE(b.begin().fragment().charFormat().fontPointSize(), 12.0);
    }
    QVERIFY(sawList);
    QVERIFY(sawImage);

    QTextTable* table = nullptr;
    for (QTextFrame* frame : page.doc.rootFrame()->childFrames())
        if (auto* t = qobject_cast<QTextTable*>(frame)) table = t;
    QVERIFY(table);
    const QTextTableFormat format = table->format();
    QCOMPARE(format.border(), DocumentLimits::MaxBorder);
    QCOMPARE(format.cellPadding(), DocumentLimits::MaxPadding);
    QCOMPARE(format.cellSpacing(), DocumentLimits::MaxPadding);
    QCOMPARE(format.width().rawValue(), DocumentLimits::MaxLength);
    const QTextTableCellFormat cell = table->cellAt(0, 0).format().toTableCellFormat();
    QCOMPARE(cell.topPadding(), DocumentLimits::MaxPadding);
    QCOMPARE(cell.leftPadding(), DocumentLimits::MaxPadding);
    // Laid out, it stays of an ordinary size.
    QVERIFY(page.doc.documentLayout()->documentSize().height() < 20000);
}

void PageLimitsTest::costlyPagesAreCutWhereTheBudgetEnds_data() {
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("kept");  // text that comes before the cut
    QTest::addColumn<QString>("gone");  // text after it
    QTest::addColumn<bool>("tables");   // a table is left

    QTest::newRow("paragraphs deep in tables")
        << QStringLiteral("<p>开头</p><table><tr><td>A</td><td><table><tr><td>") +
               times(QStringLiteral("<p>段落</p>"), 20000) +
               QStringLiteral(
                   "</td><td>C</td></tr><tr><td>D</td></tr></table></td><td>E</td></tr>"
                   "<tr><td>B</td></tr></table><p>结尾</p>")
        << QStringLiteral("开头 A 段落") << QStringLiteral("结尾|B|C|D|E") << true;
    QTest::newRow("taller than the layout can count")
        << QStringLiteral("<p>开头</p>") +
               times(QStringLiteral("<p style=\"margin-bottom:400px\">x</p>"), 20000) +
               QStringLiteral("<p>结尾</p>")
        << QStringLiteral("开头 x") << QStringLiteral("结尾") << false;
    QTest::newRow("a table too costly on its own goes whole")
        << QStringLiteral("<p>开头</p><table>") +
               times(QStringLiteral("<tr><td colspan=64>格</td></tr>"), 300) +
               QStringLiteral("</table><p>结尾</p>")
        << QStringLiteral("开头") << QStringLiteral("格|结尾") << false;
    QTest::newRow("one long paragraph keeps its beginning")
        << QStringLiteral("<p>开头 ") + times(QStringLiteral("word "), 200000) +
               QStringLiteral("结尾</p>")
        << QStringLiteral("开头 word word") << QStringLiteral("结尾") << false;
    QTest::newRow("spans across the cut")
        << QStringLiteral("<p>开头</p><table>") +
               times(QStringLiteral("<tr><td rowspan=3>跨</td><td>") +
                         times(QStringLiteral("<p>字</p>"), 40) + QStringLiteral("</td></tr>"),
                     400) +
               QStringLiteral("</table><p>结尾</p>")
        << QStringLiteral("开头 跨 字") << QStringLiteral("结尾") << true;
}

void PageLimitsTest::costlyPagesAreCutWhereTheBudgetEnds() {
    QFETCH(QString, html);
    QFETCH(QString, kept);
    QFETCH(QString, gone);
    QFETCH(bool, tables);
    Limited page(html);
    QVERIFY(page.cut);
    const QString text = page.doc.toPlainText();
    const QString words = QString(text)
                              .replace(QChar::ParagraphSeparator, u' ')
                              .replace(QChar::LineSeparator, u' ')
                              .replace(u'\n', u' ')
                              .simplified();
    QVERIFY2(words.startsWith(kept), qPrintable(words.left(100)));
    for (const QString& word : gone.split(u'|'))
        QVERIFY2(!text.contains(word), qPrintable(word));
    QVERIFY(text.trimmed().endsWith(kMarker));
    const QList<QTextFrame*> frames = page.doc.rootFrame()->childFrames();
    QCOMPARE(std::any_of(frames.begin(), frames.end(),
                         [](QTextFrame* f) { return qobject_cast<QTextTable*>(f) != nullptr; }),
             tables);
    // What is left lays out, and in a size the layout can count.
    const QSizeF size = page.doc.documentLayout()->documentSize();
    QVERIFY(std::isfinite(size.height()));
    QVERIFY(size.height() <= DocumentLimits::HeightBudget);
    QVERIFY(size.height() > 0);
}

QTEST_MAIN(PageLimitsTest)
#include "PageLimitsTest.moc"
