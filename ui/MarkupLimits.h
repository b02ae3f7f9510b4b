#pragma once
// Bounds on the markup of a web page before the text document parses it. The parser's
// cost grows with the square of the nesting depth, of the items of one list and of the
// images, and the layout's doubles with every table inside a table; a few hundred bytes
// of markup could otherwise stop the window for minutes.

#include <QString>

namespace qob {

struct MarkupLimits {
    static constexpr int MaxDepth = 64;          // elements open at once
    static constexpr int MaxTableDepth = 8;      // tables inside tables
    static constexpr int MaxElements = 20000;    // start tags of a page
    static constexpr int MaxListItems = 1000;    // items of one list
    static constexpr int MaxImages = 256;        // <img> of a page
    static constexpr int MaxSpan = 64;           // colspan and rowspan
    static constexpr int MaxTableSlots = 20000;  // rows x columns of all tables of a page
    static constexpr int MaxUnbrokenRun = 200;   // characters without a line break
};

struct LimitedMarkup {
    QString html;
    bool cut = false;  // something was left out; "……" stands where it was, if text can
};

// The page as it is when it keeps within MarkupLimits. Otherwise what lies beyond a
// limit is left out (a too deep element with all it holds, the list items, images and
// table cells past their number, everything after the last element allowed), spans are
// lowered to MaxSpan, and a run of text without a break opportunity gets one (a zero-width
// space) after every MaxUnbrokenRun characters.
LimitedMarkup limitMarkup(const QString& html);

// Plain text with the same break opportunities added to its long runs.
QString breakLongRuns(const QString& text);

}  // namespace qob
