#pragma once

class QTextDocument;

namespace qob {

// Scales everything a page sets in lengths by `factor`: the default font, the margins,
// every font size, indent, padding and border the page gives, and the sizes of its images
// and tables where the page fixes them. Percentages and proportions stay as they are.
void zoomDocument(QTextDocument& doc, double factor);

}  // namespace qob
