#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "DateTime.h"

namespace qob {

// Colour value: red in the lowest byte, then green, then blue.
using Colour = std::uint32_t;
inline constexpr Colour kBlue = 0xFF0000;
inline constexpr Colour kRed = 0x0000FF;
inline constexpr Colour kGreen = 0x00FF00;

enum class MsgButtons { Ok, OkCancel };
enum class MsgIcon { None, Critical, Information };
enum class MsgAnswer { Ok, Cancel };

// One of the two upright bars beside the board.
class ProgressBarControl {
  public:
    virtual ~ProgressBarControl() = default;
    virtual void setValue(int value) = 0;  // 0..100
    virtual void setFillColor(Colour colour) = 0;
    // Continuous fill instead of separate blocks.
    virtual void setSmooth(bool on) = 0;
    // Fill upwards from the bottom instead of rightwards from the left.
    virtual void setVertical(bool on) = 0;
    // The bar's maximum; the rules rely on it being 100.
    virtual int max() const = 0;
};

// Dialog flags.
inline constexpr int kFlagOverwritePrompt = 2;   // save: ask before replacing a file
inline constexpr int kFlagFileMustExist = 4096;  // open: only existing files

// The one file dialog the record procedures share: a property that a procedure
// does not set keeps what the last use left in it.
struct CommonDialog {
    int flags = 0;
    bool cancelError = false;  // a cancel is reported as a failure
    std::string defaultExt = "sav";
    std::string filter;    // "(*.rec)进度文件|*.rec|(*.*)所有文件|*.*"
    std::string fileName;  // proposed, then chosen
    std::string initDir = ".\\save";
    std::string dialogTitle = "QOB";
};

// What the rules need of their window. The Qt window implements it; the tests
// implement it with a scripted fake.
class GameWindow {
  public:
    virtual ~GameWindow() = default;

    // A modal message box; an empty title means the application's own.
    virtual MsgAnswer messageBox(const std::string& text, MsgButtons buttons, MsgIcon icon,
                                 const std::string& title = {}) = 0;
    // A modal input box; nothing when the player cancels it.
    virtual std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                                const std::string& defaultText) = 0;
    // Modal file dialogs. They take their set-up from the dialog and put the chosen
    // path into dialog.fileName; false when the player cancels.
    virtual bool showOpen(CommonDialog& dialog) = 0;
    virtual bool showSave(CommonDialog& dialog) = 0;

    // Starts playing a wave file and returns at once.
    virtual void PlaySound(const std::string& soundfileStr) = 0;
    virtual void showBoard() = 0;
    virtual void RecFileSave() = 0;

    // Timer1, the level clock.
    virtual void setTimer1Enabled(bool on) = 0;
    virtual bool timer1Enabled() const = 0;
    virtual void setTimer1Interval(int ms) = 0;

    // Command8 and Command9, the ring buttons.
    virtual void setRingButtonsEnabled(bool on) = 0;

    virtual ProgressBarControl& progressBar1() = 0;  // left: clock or share of moves
    virtual ProgressBarControl& progressBar2() = 0;  // right: level progress

    // Index of the selected mode button Option1, or -1 when none is.
    virtual int selectedOption() const = 0;
    virtual void setTileImagesVisible(bool visible) = 0;

    // The side panel.
    virtual void navigate(const std::string& address) = 0;
    virtual void focusBrowser() = 0;

    // The program's folder, without a trailing separator.
    virtual std::string programFolder() const = 0;
    virtual DateTime now() const = 0;
};

// A file beside the program: the folder followed by a path written with "\"
// separators ("\data\click.wav"), turned into the native form.
std::string programPath(const GameWindow& window, const std::string& relative);

}  // namespace qob
