#pragma once

namespace qob {

// What the game sets up before its window opens: the application's name and
// version, Qt's own texts in Chinese, and the default typeface.
// Call once, after the QApplication exists.
void setUpApplication();

}  // namespace qob
