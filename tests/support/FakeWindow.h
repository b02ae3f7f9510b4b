#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "GameWindow.h"

namespace qob::test {

// A progress bar that remembers what was set on it and logs each call.
class FakeBar : public ProgressBarControl {
  public:
    FakeBar(std::string name, std::vector<std::string>& log) : name_(std::move(name)), log_(log) {}

    void setValue(int v) override;
    void setFillColor(Colour c) override;
    void setSmooth(bool on) override;
    void setVertical(bool on) override;
    int max() const override { return maximum; }

    int value = 0;
    Colour colour = 0;
    bool smooth = false;
    bool vertical = false;
    int maximum = 100;

  private:
    std::string name_;
    std::vector<std::string>& log_;
};

// A scripted window: it records every call the rules make in `log`, in order, and
// answers boxes and dialogs from the queues (OK, a cancelled input box and a
// cancelled dialog when a queue is empty).
class FakeWindow : public GameWindow {
  public:
    FakeWindow();

    MsgAnswer messageBox(const std::string& text, MsgButtons buttons, MsgIcon icon,
                         const std::string& title) override;
    std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                        const std::string& defaultText) override;
    bool showOpen(CommonDialog& dialog) override;
    bool showSave(CommonDialog& dialog) override;
    void PlaySound(const std::string& soundfileStr) override;
    void showBoard() override;
    void RecFileSave() override;
    void setTimer1Enabled(bool on) override;
    bool timer1Enabled() const override { return timer1; }
    void setTimer1Interval(int ms) override;
    void setRingButtonsEnabled(bool on) override;
    ProgressBarControl& progressBar1() override { return bar1; }
    ProgressBarControl& progressBar2() override { return bar2; }
    int selectedOption() const override { return option; }
    void setTileImagesVisible(bool visible) override;
    void navigate(const std::string& address) override;
    void focusBrowser() override;
    std::string programFolder() const override { return folder; }
    DateTime now() const override { return clock; }

    // Calls whose log line starts with prefix.
    std::vector<std::string> calls(const std::string& prefix) const;
    int count(const std::string& prefix) const { return static_cast<int>(calls(prefix).size()); }

    std::vector<std::string> log;
    FakeBar bar1{"bar1", log};
    FakeBar bar2{"bar2", log};

    std::deque<MsgAnswer> answers;
    std::deque<std::optional<std::string>> inputs;
    // A dialog answer: the chosen path, or nothing for a cancel.
    std::deque<std::optional<std::string>> files;
    // The dialog as it was set up when last shown.
    CommonDialog lastDialog;

    // Run inside the box, the way a modal box lets the message loop run.
    std::function<void(const std::string& text)> duringMessageBox;
    std::function<void()> onShowBoard;
    std::function<void()> onRecFileSave;

    bool timer1 = false;
    int timer1Interval = 1000;
    bool ringButtons = false;
    bool tilesVisible = true;
    int option = 0;
    std::string folder = "/prog";
    DateTime clock{2005, 6, 1, 10, 4, 31};
};

}  // namespace qob::test
