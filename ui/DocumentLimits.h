#pragma once
// Bounds on what a parsed web page can make the text layout do. The layout of a document
// cannot be stopped once it runs, so the cost is told from the document before: its
// blocks, characters and tables, each counted by what it costs the layout (a table inside
// a table costs twice as much), and the height it could reach, past which the layout's
// coordinates overflow and it never ends.

class QTextDocument;
class QString;

namespace qob {

struct DocumentLimits {
    // The layout's cost allowed to one page, in microseconds as the cost model counts
    // them: the model errs high, and a page at the budget takes some 200 to 300 ms.
    static constexpr double LayoutBudget = 400000;
    // Pixels; the layout breaks down a little past 2^23.
    static constexpr double HeightBudget = 4000000;
    // The largest length of a format, in pixels (margins, paddings, line heights, image
    // and table sizes), and of a font.
    static constexpr double MaxLength = 2000;
    static constexpr double MaxMargin = 400;
    static constexpr double MaxPadding = 100;
    static constexpr double MaxBorder = 20;
    static constexpr double MaxFontPoints = 144;
    static constexpr int MaxFontPixels = 192;
    static constexpr int MaxIndent = 16;
};

// Lowers every length of the document's formats past the limits to the limit, then cuts
// the document where its layout would cost more than LayoutBudget or it could grow
// taller than HeightBudget: that block and everything after it go, and "……" ends what
// is left. `width` is the width the document is laid out in, `dpi` the resolution its
// point sizes are measured in. True when something was cut.
bool limitDocument(QTextDocument& doc, double width, double dpi);

// Puts a notice at the top of the document that a part of the page is not shown.
void addCutNotice(QTextDocument& doc, const QString& notice);

}  // namespace qob
