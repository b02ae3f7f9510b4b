#include "DocumentLimits.h"

#include <QFont>
#include <QList>
#include <QPen>
#include <QSet>
#include <QString>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLength>
#include <QTextList>
#include <QTextOption>
#include <QTextTable>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace qob {

namespace {

using L = DocumentLimits;

// What the layout spends, in microseconds of a slow machine, measured on pages made of one
// thing each: a block and a character outside tables, a block, a line and a character in
// a table (twice that in a table one deeper), a table's cell and grid slot.
constexpr double kBlockCost = 4;
constexpr double kCharCost = 0.6;
constexpr double kLineCost = 5;
constexpr double kCellBlockCost = 30;
constexpr double kCellCost = 40;
constexpr double kSpanCost = 30;  // for every slot a cell spans beyond its own
constexpr double kSlotCost = 10;
// Space kept in HeightBudget for the images that arrive after the page.
constexpr double kLateImageHeight = 64 * 1024;

struct Bound {
    int property;
    double low;
    double high;
};

// The number-valued properties of every kind of format, with the range they keep.
const Bound kBounds[] = {
    {QTextFormat::BlockTopMargin, -L::MaxMargin, L::MaxMargin},
    {QTextFormat::BlockBottomMargin, -L::MaxMargin, L::MaxMargin},
    {QTextFormat::BlockLeftMargin, -L::MaxMargin, L::MaxMargin},
    {QTextFormat::BlockRightMargin, -L::MaxMargin, L::MaxMargin},
    {QTextFormat::TextIndent, -L::MaxMargin, L::MaxMargin},
    {QTextFormat::BlockIndent, 0, L::MaxIndent},
    {QTextFormat::ListIndent, 0, L::MaxIndent},
    {QTextFormat::FontPointSize, 1, L::MaxFontPoints},
    {QTextFormat::FontPixelSize, 1, L::MaxFontPixels},
    {QTextFormat::FontWordSpacing, -50, 200},
    {QTextFormat::FontStretch, 0, 400},
    {QTextFormat::TextSuperScriptBaseline, -500, 500},
    {QTextFormat::TextSubScriptBaseline, -500, 500},
    {QTextFormat::TextBaselineOffset, -500, 500},
    {QTextFormat::FrameBorder, 0, L::MaxBorder},
    {QTextFormat::FrameMargin, -L::MaxMargin, L::MaxMargin},
    {QTextFormat::FrameTopMargin, -L::MaxMargin, L::MaxMargin},
    {QTextFormat::FrameBottomMargin, -L::MaxMargin, L::MaxMargin},
    {QTextFormat::FrameLeftMargin, -L::MaxMargin, L::MaxMargin},
    {QTextFormat::FrameRightMargin, -L::MaxMargin, L::MaxMargin},
    {QTextFormat::FramePadding, 0, L::MaxPadding},
    {QTextFormat::TableCellSpacing, 0, L::MaxPadding},
    {QTextFormat::TableCellPadding, 0, L::MaxPadding},
    {QTextFormat::TableCellTopPadding, 0, L::MaxPadding},
    {QTextFormat::TableCellBottomPadding, 0, L::MaxPadding},
    {QTextFormat::TableCellLeftPadding, 0, L::MaxPadding},
    {QTextFormat::TableCellRightPadding, 0, L::MaxPadding},
    {QTextFormat::TableCellTopBorder, 0, L::MaxBorder},
    {QTextFormat::TableCellBottomBorder, 0, L::MaxBorder},
    {QTextFormat::TableCellLeftBorder, 0, L::MaxBorder},
    {QTextFormat::TableCellRightBorder, 0, L::MaxBorder},
};

QTextLength boundedLength(const QTextLength& length) {
    if (length.type() == QTextLength::FixedLength && std::abs(length.rawValue()) > L::MaxLength)
        return QTextLength(QTextLength::FixedLength, L::MaxLength);
    if (length.type() == QTextLength::PercentageLength && std::abs(length.rawValue()) > 100)
        return QTextLength(QTextLength::PercentageLength, 100);
    return length;
}

// Brings every property of the format into its range; true when one had to move.
bool bound(QTextFormat& format) {
    bool changed = false;
    const auto keep = [&](int property, double low, double high) {
        if (!format.hasProperty(property)) return;
        const QVariant value = format.property(property);
        const bool whole = value.typeId() == QMetaType::Int;
        const double number = whole ? value.toInt() : value.toDouble();
        if (number >= low && number <= high) return;  // NaN falls to low below
        const double kept = number > high ? high : low;
        // A font size below one is no size at all: the font keeps the one it inherits.
        if (kept == low &&
            (property == QTextFormat::FontPointSize || property == QTextFormat::FontPixelSize)) {
            format.clearProperty(property);
            changed = true;
            return;
        }
        if (whole)
            format.setProperty(property, int(kept));
        else
            format.setProperty(property, kept);
        changed = true;
    };
    for (const Bound& b : kBounds)
        keep(b.property, b.low, b.high);

    if (format.hasProperty(QTextFormat::FontLetterSpacing)) {
        const bool percent =
            format.intProperty(QTextFormat::FontLetterSpacingType) == QFont::PercentageSpacing;
        keep(QTextFormat::FontLetterSpacing, percent ? 0 : -50, percent ? 1000 : 100);
    }
    if (format.hasProperty(QTextFormat::LineHeight)) {
        const bool percent =
            format.intProperty(QTextFormat::LineHeightType) == QTextBlockFormat::ProportionalHeight;
        keep(QTextFormat::LineHeight, 0, percent ? 1000 : L::MaxMargin);
    }
    if (format.hasProperty(QTextFormat::TextOutline)) {
        QPen pen = format.penProperty(QTextFormat::TextOutline);
        if (!(pen.widthF() <= 10)) {
            pen.setWidthF(10);
            format.setProperty(QTextFormat::TextOutline, pen);
            changed = true;
        }
    }
    for (const int property : {int(QTextFormat::FrameWidth), int(QTextFormat::FrameHeight),
                               int(QTextFormat::BlockTrailingHorizontalRulerWidth)}) {
        if (!format.hasProperty(property)) continue;
        const QTextLength length = format.lengthProperty(property);
        if (boundedLength(length) == length) continue;
        format.setProperty(property, boundedLength(length));
        changed = true;
    }
    if (format.hasProperty(QTextFormat::TableColumnWidthConstraints)) {
        QList<QTextLength> widths =
            format.lengthVectorProperty(QTextFormat::TableColumnWidthConstraints);
        bool any = false;
        for (QTextLength& w : widths) {
            const QTextLength kept = boundedLength(w);
            any = any || !(kept == w);
            w = kept;
        }
        if (any) {
            format.setProperty(QTextFormat::TableColumnWidthConstraints, widths);
            changed = true;
        }
    }
    if (format.hasProperty(QTextFormat::TabPositions)) {
        QTextBlockFormat block = format.toBlockFormat();
        QList<QTextOption::Tab> tabs = block.tabPositions();
        const qsizetype count = tabs.size();
        tabs.erase(std::remove_if(tabs.begin(), tabs.end(),
                                  [](const QTextOption::Tab& t) {
                                      return !(t.position >= 0 && t.position <= L::MaxLength);
                                  }),
                   tabs.end());
        if (tabs.size() > 64) tabs.resize(64);
        if (tabs.size() != count) {
            block.setTabPositions(tabs);
            format.setProperty(QTextFormat::TabPositions,
                               block.property(QTextFormat::TabPositions));
            changed = true;
        }
    }
    // An image keeps its proportions.
    const double width = format.doubleProperty(QTextFormat::ImageWidth);
    const double height = format.doubleProperty(QTextFormat::ImageHeight);
    const double largest = std::max(std::abs(width), std::abs(height));
    if (largest > L::MaxLength || std::isnan(largest)) {
        const double scale = std::isnan(largest) ? 0 : L::MaxLength / largest;
        if (format.hasProperty(QTextFormat::ImageWidth))
            format.setProperty(QTextFormat::ImageWidth, std::isnan(width) ? 0 : width * scale);
        if (format.hasProperty(QTextFormat::ImageHeight))
            format.setProperty(QTextFormat::ImageHeight, std::isnan(height) ? 0 : height * scale);
        changed = true;
    }
    for (const int property :
         {int(QTextFormat::ListNumberPrefix), int(QTextFormat::ListNumberSuffix)}) {
        if (format.stringProperty(property).size() <= 16) continue;
        format.setProperty(property, format.stringProperty(property).left(16));
        changed = true;
    }
    return changed;
}

void boundFrames(QTextFrame* frame) {
    QTextFrameFormat format = frame->frameFormat();
    if (bound(format)) frame->setFrameFormat(format);
    if (auto* table = qobject_cast<QTextTable*>(frame)) {
        for (int r = 0; r < table->rows(); ++r) {
            for (int c = 0; c < table->columns(); ++c) {
                QTextTableCell cell = table->cellAt(r, c);
                if (cell.row() != r || cell.column() != c) continue;
                QTextCharFormat cellFormat = cell.format();
                if (bound(cellFormat)) cell.setFormat(cellFormat);
            }
        }
    }
    const QList<QTextFrame*> children = frame->childFrames();
    for (QTextFrame* child : children)
        boundFrames(child);
}

// The tables around a position, innermost first.
std::vector<QTextTable*> tablesAround(QTextFrame* frame) {
    std::vector<QTextTable*> tables;
    for (; frame; frame = frame->parentFrame())
        if (auto* table = qobject_cast<QTextTable*>(frame)) tables.push_back(table);
    return tables;
}

double depthFactor(std::size_t depth) {
    return depth <= 1 ? 1.0 : std::ldexp(1.0, int(std::min<std::size_t>(depth - 1, 60)));
}

class Tally {
  public:
    Tally(double width, double dpi, const QFont& defaultFont)
        : width_(width), dpi_(dpi), defaultFont_(defaultFont) {}

    // Counts the block, and the tables it is the first thing of. Nothing while the page
    // keeps within the budgets; otherwise the position from which it has to go.
    std::optional<int> add(const QTextBlock& block);

  private:
    double pixelSize(const QTextCharFormat& format) const;
    bool within() const { return cost_ <= L::LayoutBudget && height_ <= L::HeightBudget; }
    void addTable(QTextTable* table, std::size_t depth);

    double width_;
    double dpi_;
    QFont defaultFont_;
    QSet<QTextTable*> counted_;
    double cost_ = 0;
    double height_ = kLateImageHeight;
};

double Tally::pixelSize(const QTextCharFormat& format) const {
    if (format.intProperty(QTextFormat::FontPixelSize) > 0)
        return format.intProperty(QTextFormat::FontPixelSize);
    if (format.fontPointSize() > 0) return format.fontPointSize() * dpi_ / 72;
    if (defaultFont_.pixelSize() > 0) return defaultFont_.pixelSize();
    return defaultFont_.pointSizeF() * dpi_ / 72;
}

void Tally::addTable(QTextTable* table, std::size_t depth) {
    const QTextTableFormat format = table->format();
    double cells = 0;
    for (int r = 0; r < table->rows(); ++r) {
        for (int c = 0; c < table->columns(); ++c) {
            const QTextTableCell cell = table->cellAt(r, c);
            if (cell.row() != r || cell.column() != c) continue;
            cells += kCellCost + kSpanCost * (double(cell.rowSpan()) * cell.columnSpan() - 1);
        }
    }
    const double gridSlots = double(table->rows()) * table->columns();
    cost_ += (gridSlots * kSlotCost + cells) * depthFactor(depth);
    const double edge = format.border() + format.padding() + std::max(0.0, format.topMargin()) +
                        std::max(0.0, format.bottomMargin());
    // Every row keeps at least a line, even when its cells are emptied by a cut.
    const double rowEdge = format.cellSpacing() + 2 * format.cellPadding() + 2 * L::MaxPadding +
                           2 * L::MaxBorder + pixelSize(QTextCharFormat()) * 1.5;
    height_ += 2 * edge + table->rows() * rowEdge;
}

std::optional<int> Tally::add(const QTextBlock& block) {
    QTextCursor at(block);
    const std::vector<QTextTable*> tables = tablesAround(at.currentFrame());
    // Outermost first: a table that is too much on its own goes whole.
    for (std::size_t k = tables.size(); k-- > 0;) {
        if (counted_.contains(tables[k])) continue;
        counted_.insert(tables[k]);
        addTable(tables[k], tables.size() - k);
        if (!within()) return tables[k]->firstPosition() - 1;
    }

    const QTextBlockFormat format = block.blockFormat();
    double chars = 0;
    double breaks = 0;     // line separators, each of which starts a line
    double textWidth = 0;  // when laid out in one line, at most
    double lineHeight = pixelSize(block.charFormat()) * 1.5;
    double objects = 0;  // heights of images
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const QTextCharFormat look = fragment.charFormat();
        const double pixels = pixelSize(look);
        const double spacing = look.fontLetterSpacingType() == QFont::AbsoluteSpacing
                                   ? std::max(0.0, look.fontLetterSpacing())
                                   : pixels * std::max(0.0, look.fontLetterSpacing() / 100 - 1);
        const int length = fragment.length();
        chars += length;
        textWidth += length * (pixels + spacing + std::max(0.0, look.fontWordSpacing()));
        lineHeight = std::max(lineHeight, pixels * 1.5);
        if (look.isImageFormat()) objects += std::max(0.0, look.toImageFormat().height());
        breaks += fragment.text().count(QChar::LineSeparator);
    }
    switch (format.lineHeightType()) {
        case QTextBlockFormat::ProportionalHeight:
            lineHeight *= std::max(1.0, format.lineHeight() / 100);
            break;
        case QTextBlockFormat::FixedHeight:
        case QTextBlockFormat::MinimumHeight:
            lineHeight = std::max(lineHeight, format.lineHeight());
            break;
        case QTextBlockFormat::LineDistanceHeight:
            lineHeight += std::max(0.0, format.lineHeight());
            break;
        default:
            break;
    }

    // Lines: in a table the column may be as narrow as one character; elsewhere the width
    // is known but for what words leave at the ends of lines, at most half of each.
    double lines = chars + 1;
    if (tables.empty()) {
        const int listIndent = block.textList() ? block.textList()->format().indent() : 0;
        const double room = width_ - std::abs(format.leftMargin()) -
                            std::abs(format.rightMargin()) - std::abs(format.textIndent()) -
                            40.0 * (format.indent() + listIndent);
        if (room >= 2 * lineHeight)
            lines = std::min(lines, 2 * std::ceil(textWidth / room) + 1 + breaks);
    }
    const double factor = depthFactor(tables.size());
    const double blockCost = (tables.empty() ? kBlockCost : kCellBlockCost) * factor;
    const double charCost = (kCharCost + kLineCost * lines / (chars + 1)) * factor;
    const double blockHeight =
        std::max(0.0, format.topMargin()) + std::max(0.0, format.bottomMargin()) + lineHeight;
    const double charHeight =
        (lines - 1) * lineHeight / std::max(1.0, chars) + objects / std::max(1.0, chars);
    cost_ += blockCost + charCost * chars;
    height_ += blockHeight + charHeight * chars;
    if (within()) return std::nullopt;

    // The block's first characters that still fit.
    cost_ -= charCost * chars;
    height_ -= charHeight * chars;
    double keep = chars;
    if (charCost > 0) keep = std::min(keep, std::floor((L::LayoutBudget - cost_) / charCost));
    if (charHeight > 0) keep = std::min(keep, std::floor((L::HeightBudget - height_) / charHeight));
    return block.position() + int(std::max(0.0, keep));
}

void removeRange(QTextDocument& doc, int from, int to) {
    if (to <= from) return;
    QTextCursor cursor(&doc);
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

// Removes everything from `position` to the end of the document, frame by frame outwards.
// In a table that is the rest of the cell and the content of every cell after it; the
// cells themselves stay, since taking rows out of a table with spans breaks its layout.
void cutFrom(QTextDocument& doc, int position) {
    QTextCursor cursor(&doc);
    cursor.setPosition(position);
    for (QTextFrame* frame = cursor.currentFrame(); frame; frame = frame->parentFrame()) {
        auto* table = qobject_cast<QTextTable*>(frame);
        if (!table) {
            removeRange(doc, position, frame->lastPosition());
            position = frame->lastPosition() + 1;
            continue;
        }
        const QTextTableCell cell = table->cellAt(position);
        const int row = cell.row();
        const int column = cell.column();
        // From the last cell backwards, so that what is still to go keeps its place.
        for (int r = table->rows() - 1; r >= row; --r) {
            for (int c = table->columns() - 1; c >= 0; --c) {
                if (r == row && c <= column) continue;
                const QTextTableCell other = table->cellAt(r, c);
                if (other.row() == r && other.column() == c)
                    removeRange(doc, other.firstPosition(), other.lastPosition());
            }
        }
        removeRange(doc, position, table->cellAt(row, column).lastPosition());
        position = table->lastPosition() + 1;
    }
}

}  // namespace

bool limitDocument(QTextDocument& doc, double width, double dpi) {
    boundFrames(doc.rootFrame());

    Tally tally(width, dpi, doc.defaultFont());
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        QTextCursor cursor(block);
        QTextBlockFormat blockFormat = block.blockFormat();
        if (bound(blockFormat)) cursor.setBlockFormat(blockFormat);
        QTextCharFormat blockChars = block.charFormat();
        if (bound(blockChars)) cursor.setBlockCharFormat(blockChars);
        if (QTextList* list = block.textList()) {
            QTextListFormat listFormat = list->format();
            if (bound(listFormat)) list->setFormat(listFormat);
        }
        // Changing a fragment's format may merge fragments: positions, not fragments.
        struct Change {
            int position;
            int length;
            QTextCharFormat format;
        };
        std::vector<Change> changes;
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            QTextCharFormat format = it.fragment().charFormat();
            if (bound(format))
                changes.push_back({it.fragment().position(), it.fragment().length(), format});
        }
        for (const Change& change : changes) {
            cursor.setPosition(change.position);
            cursor.setPosition(change.position + change.length, QTextCursor::KeepAnchor);
            cursor.setCharFormat(change.format);
        }
        if (const std::optional<int> position = tally.add(block)) {
            cutFrom(doc, *position);
            QTextCursor end(&doc);
            end.setPosition(*position);
            end.insertText(QStringLiteral("……"));
            return true;
        }
    }
    return false;
}

void addCutNotice(QTextDocument& doc, const QString& notice) {
    QTextCursor cursor(&doc);
    cursor.movePosition(QTextCursor::Start);
    cursor.insertBlock(cursor.blockFormat(), cursor.charFormat());
    cursor.movePosition(QTextCursor::Start);
    QTextBlockFormat block;
    block.setBackground(QColor(0xFF, 0xF4, 0xD6));
    block.setTopMargin(2);
    block.setBottomMargin(6);
    cursor.setBlockFormat(block);
    QTextCharFormat chars;
    chars.setForeground(QColor(0x7A, 0x5B, 0x00));
    cursor.setBlockCharFormat(chars);
    cursor.insertText(notice, chars);
}

}  // namespace qob
