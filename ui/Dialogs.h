#pragma once

#include <QString>
#include <optional>
#include <string>

#include "GameWindow.h"

class QWidget;

namespace qob {

// The modal boxes and file dialogs the window opens for the rules. The window
// uses QtDialogs; the window's tests answer through a scripted stand-in.
class Dialogs {
  public:
    virtual ~Dialogs() = default;

    virtual MsgAnswer messageBox(QWidget* parent, const std::string& text, MsgButtons buttons,
                                 MsgIcon icon, const std::string& title) = 0;
    virtual std::optional<std::string> inputBox(QWidget* parent, const std::string& prompt,
                                                const std::string& title,
                                                const std::string& defaultText) = 0;
    // programFolder resolves a relative initial folder such as ".\save".
    virtual bool showOpen(QWidget* parent, CommonDialog& dialog, const QString& programFolder) = 0;
    virtual bool showSave(QWidget* parent, CommonDialog& dialog, const QString& programFolder) = 0;
};

}  // namespace qob
