#pragma once

#include <QStringList>

#include "Dialogs.h"

namespace qob {

// The real thing: QMessageBox, QInputDialog and Qt's own QFileDialog.
class QtDialogs : public Dialogs {
  public:
    // The title of a message box that names none.
    static const char* const kDefaultTitle;

    MsgAnswer messageBox(QWidget* parent, const std::string& text, MsgButtons buttons, MsgIcon icon,
                         const std::string& title) override;
    std::optional<std::string> inputBox(QWidget* parent, const std::string& prompt,
                                        const std::string& title,
                                        const std::string& defaultText) override;
    bool showOpen(QWidget* parent, CommonDialog& dialog, const QString& programFolder) override;
    bool showSave(QWidget* parent, CommonDialog& dialog, const QString& programFolder) override;

    // "(*.rec)进度文件|*.rec|(*.*)所有文件|*.*" as Qt name filters: each shown text
    // followed by its patterns in the trailing parentheses Qt reads them from.
    static QStringList nameFilters(const std::string& filter);

  private:
    bool showFileDialog(QWidget* parent, CommonDialog& dialog, const QString& programFolder,
                        bool save);
};

}  // namespace qob
