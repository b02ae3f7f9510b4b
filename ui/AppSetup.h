#pragma once

#include <QString>

namespace qob {

// What the game sets up before its window opens: the application's name and
// version, Qt's own texts in Chinese, and the default typeface.
// Call once, after the QApplication exists.
void setUpApplication();

// The installed typefaces the window writes in: SimSun or the nearest Chinese face,
// and Tahoma or, failing it, the same Chinese face (the status line mixes Chinese
// and figures). Asking for one installed face, rather than a list of wishes, spares
// the font matching that otherwise dominates the window's start.
QString chineseFamily();
QString statusFamily();

}  // namespace qob
