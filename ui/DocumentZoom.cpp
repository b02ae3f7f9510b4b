#include "DocumentZoom.h"

#include <QFont>
#include <QList>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFormat>
#include <QTextFrame>
#include <QTextLength>
#include <QTextOption>

#include "DocumentFormats.h"

namespace qob {

namespace {

// The properties that hold a length in pixels or points.
constexpr int kLengths[] = {
    QTextFormat::BlockTopMargin,
    QTextFormat::BlockBottomMargin,
    QTextFormat::BlockLeftMargin,
    QTextFormat::BlockRightMargin,
    QTextFormat::TextIndent,
    QTextFormat::FontPointSize,
    QTextFormat::FontPixelSize,
    QTextFormat::FontWordSpacing,
    QTextFormat::FrameBorder,
    QTextFormat::FrameMargin,
    QTextFormat::FrameTopMargin,
    QTextFormat::FrameBottomMargin,
    QTextFormat::FrameLeftMargin,
    QTextFormat::FrameRightMargin,
    QTextFormat::FramePadding,
    QTextFormat::TableCellSpacing,
    QTextFormat::TableCellPadding,
    QTextFormat::TableCellTopPadding,
    QTextFormat::TableCellBottomPadding,
    QTextFormat::TableCellLeftPadding,
    QTextFormat::TableCellRightPadding,
    QTextFormat::TableCellTopBorder,
    QTextFormat::TableCellBottomBorder,
    QTextFormat::TableCellLeftBorder,
    QTextFormat::TableCellRightBorder,
    QTextFormat::ImageWidth,
    QTextFormat::ImageHeight,
};

QTextLength scaled(const QTextLength& length, double factor) {
    if (length.type() != QTextLength::FixedLength) return length;
    return QTextLength(QTextLength::FixedLength, length.rawValue() * factor);
}

bool scale(QTextFormat& format, double factor) {
    bool changed = false;
    for (const int property : kLengths) {
        if (!format.hasProperty(property)) continue;
        const QVariant value = format.property(property);
        if (value.typeId() == QMetaType::Int)
            format.setProperty(property, qMax(1, qRound(value.toInt() * factor)));
        else
            format.setProperty(property, value.toDouble() * factor);
        changed = true;
    }
    if (format.hasProperty(QTextFormat::FontLetterSpacing) &&
        format.intProperty(QTextFormat::FontLetterSpacingType) == QFont::AbsoluteSpacing) {
        format.setProperty(QTextFormat::FontLetterSpacing,
                           format.doubleProperty(QTextFormat::FontLetterSpacing) * factor);
        changed = true;
    }
    if (format.hasProperty(QTextFormat::LineHeight) &&
        format.intProperty(QTextFormat::LineHeightType) != QTextBlockFormat::ProportionalHeight &&
        format.intProperty(QTextFormat::LineHeightType) != QTextBlockFormat::SingleHeight) {
        format.setProperty(QTextFormat::LineHeight,
                           format.doubleProperty(QTextFormat::LineHeight) * factor);
        changed = true;
    }
    for (const int property : {int(QTextFormat::FrameWidth), int(QTextFormat::FrameHeight),
                               int(QTextFormat::BlockTrailingHorizontalRulerWidth)}) {
        if (!format.hasProperty(property)) continue;
        format.setProperty(property, scaled(format.lengthProperty(property), factor));
        changed = true;
    }
    if (format.hasProperty(QTextFormat::TableColumnWidthConstraints)) {
        QList<QTextLength> widths =
            format.lengthVectorProperty(QTextFormat::TableColumnWidthConstraints);
        for (QTextLength& w : widths)
            w = scaled(w, factor);
        format.setProperty(QTextFormat::TableColumnWidthConstraints, widths);
        changed = true;
    }
    if (format.hasProperty(QTextFormat::TabPositions)) {
        QTextBlockFormat block = format.toBlockFormat();
        QList<QTextOption::Tab> tabs = block.tabPositions();
        for (QTextOption::Tab& tab : tabs)
            tab.position *= factor;
        block.setTabPositions(tabs);
        format.setProperty(QTextFormat::TabPositions, block.property(QTextFormat::TabPositions));
        changed = true;
    }
    return changed;
}

// The frames' own formats (a table's among them); a table cell's format is the character
// format of its first block, which the blocks' pass scales.
void scaleFrames(QTextFrame* frame, double factor) {
    QTextFrameFormat format = frame->frameFormat();
    if (scale(format, factor)) frame->setFrameFormat(format);
    const QList<QTextFrame*> children = frame->childFrames();
    for (QTextFrame* child : children)
        scaleFrames(child, factor);
}

}  // namespace

void zoomDocument(QTextDocument& doc, double factor) {
    if (factor == 1) return;
    QFont font = doc.defaultFont();
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * factor);
    else if (font.pixelSize() > 0)
        font.setPixelSize(qMax(1, qRound(font.pixelSize() * factor)));
    doc.setDefaultFont(font);
    doc.setIndentWidth(doc.indentWidth() * factor);

    // The root frame holds the document's margin.
    scaleFrames(doc.rootFrame(), factor);
    const FormatChange change = [factor](QTextFormat& format) { return scale(format, factor); };
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next())
        rewriteBlockFormats(block, change);
}

}  // namespace qob
