#pragma once

#include <functional>
#include <optional>
#include <string>

#include "GameState.h"
#include "GameWindow.h"

namespace qob {

// The window a replay plays on. It answers every box at once and keeps of the game's
// window what the course of the rules depends on: each redraw cuts the cells back to
// their tile and stops the clock in "game" and "lim"; the clock ticks only while it is
// enabled with an interval above 0; the ring buttons and the mode buttons are as the
// rules set them; and it keeps the game as it stood when the rules offered its record.
class ReplayWindow : public GameWindow {
  public:
    // option: the mode button selected (0 "game", 1 "sport", 2 "lim").
    explicit ReplayWindow(int option) : option_(option) {}

    // The game that the redraws show.
    void show(GameState& state) { state_ = &state; }

    bool clockTicks() const { return timer1_ && interval_ > 0; }
    bool ringButtonsEnabled() const { return ringButtons_; }
    // The game when the rules offered its record, once they have.
    const std::optional<GameState>& record() const { return record_; }
    // Called once the record is taken.
    std::function<void()> onRecord;

    MsgAnswer messageBox(const std::string& text, MsgButtons buttons, MsgIcon icon,
                         const std::string& title) override;
    std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                        const std::string& defaultText) override;
    bool showOpen(CommonDialog& dialog) override;
    bool showSave(CommonDialog& dialog) override;
    void PlaySound(const std::string& soundfileStr) override;
    void showBoard() override;
    void RecFileSave() override;
    void setTimer1Enabled(bool on) override { timer1_ = on; }
    bool timer1Enabled() const override { return timer1_; }
    void setTimer1Interval(int ms) override { interval_ = ms; }
    void setRingButtonsEnabled(bool on) override { ringButtons_ = on; }
    ProgressBarControl& progressBar1() override { return bar_; }
    ProgressBarControl& progressBar2() override { return bar_; }
    int selectedOption() const override { return option_; }
    void setTileImagesVisible(bool visible) override;
    void navigate(const std::string& address) override;
    void focusBrowser() override;
    std::string programFolder() const override { return {}; }
    DateTime now() const override;

  private:
    class Bar : public ProgressBarControl {
      public:
        void setValue(int) override {}
        void setFillColor(Colour) override {}
        void setSmooth(bool) override {}
        void setVertical(bool) override {}
        int max() const override { return 100; }
    };

    int option_;
    GameState* state_ = nullptr;
    bool timer1_ = false;
    int interval_ = 1000;  // the clock's interval when the window opens
    bool ringButtons_ = false;
    Bar bar_;
    std::optional<GameState> record_;
};

}  // namespace qob
