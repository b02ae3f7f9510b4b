#include "DocumentFormats.h"

#include <QList>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>

#include <vector>

namespace qob {

void rewriteFrameFormats(QTextFrame* frame, const FormatChange& change) {
    QTextFrameFormat format = frame->frameFormat();
    if (change(format)) frame->setFrameFormat(format);
    if (auto* table = qobject_cast<QTextTable*>(frame)) {
        for (int r = 0; r < table->rows(); ++r) {
            for (int c = 0; c < table->columns(); ++c) {
                QTextTableCell cell = table->cellAt(r, c);
                if (cell.row() != r || cell.column() != c) continue;
                QTextCharFormat cellFormat = cell.format();
                if (change(cellFormat)) cell.setFormat(cellFormat);
            }
        }
    }
    const QList<QTextFrame*> children = frame->childFrames();
    for (QTextFrame* child : children)
        rewriteFrameFormats(child, change);
}

void rewriteBlockFormats(const QTextBlock& block, const FormatChange& change) {
    QTextCursor cursor(block);
    QTextBlockFormat blockFormat = block.blockFormat();
    if (change(blockFormat)) cursor.setBlockFormat(blockFormat);
    QTextCharFormat blockChars = block.charFormat();
    if (change(blockChars)) cursor.setBlockCharFormat(blockChars);
    if (QTextList* list = block.textList()) {
        // A list spans many blocks: its first block changes it for all of them.
        if (list->item(0) == block) {
            QTextListFormat listFormat = list->format();
            if (change(listFormat)) list->setFormat(listFormat);
        }
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
        if (change(format))
            changes.push_back({it.fragment().position(), it.fragment().length(), format});
    }
    for (const Change& c : changes) {
        cursor.setPosition(c.position);
        cursor.setPosition(c.position + c.length, QTextCursor::KeepAnchor);
        cursor.setCharFormat(c.format);
    }
}

}  // namespace qob
