#pragma once
// Every format of a parsed document, rewritten by one function: what bounds a page from
// the web and what scales a page with the window both pass over the same formats.

#include <functional>

class QTextBlock;
class QTextFormat;
class QTextFrame;

namespace qob {

// Changes a format in place; true when it changed something.
using FormatChange = std::function<bool(QTextFormat&)>;

// The formats of the frame, of its table cells when it is a table, and of every frame
// inside it. A cell's format is also the character format of the cell's first block.
void rewriteFrameFormats(QTextFrame* frame, const FormatChange& change);

// The formats of the block, of its characters and of the list it belongs to.
void rewriteBlockFormats(const QTextBlock& block, const FormatChange& change);

}  // namespace qob
