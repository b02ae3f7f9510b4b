#pragma once

#include <QString>

namespace qob {

// What must be done before the QApplication exists: Qt's file dialogs write sizes
// and dates in the system's locale, which Qt reads once, as the application starts,
// so the locale the program asks of Qt is set here. The C library keeps the
// player's own.
void prepareApplication();

// What the game sets up before its window opens: the application's name and
// version, its locale (Simplified Chinese, whatever the system's), Qt's own texts
// in Chinese, and the default typeface. Call once, after the QApplication exists.
void setUpApplication();

// The installed typefaces the window writes in: SimSun or the nearest Chinese face,
// and Tahoma or, failing it, the same Chinese face (the status line mixes Chinese
// and figures). Asking for one installed face, rather than a list of wishes, spares
// the font matching that otherwise dominates the window's start.
QString chineseFamily();
QString statusFamily();

}  // namespace qob
