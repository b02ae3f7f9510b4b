#pragma once

// A window that does nothing and answers every box at once, so that a benchmark
// measures only the rules or the records.
#include <optional>
#include <string>

#include "GameWindow.h"

namespace qob::bench {

class SilentBar : public ProgressBarControl {
  public:
    void setValue(int) override {}
    void setFillColor(Colour) override {}
    void setSmooth(bool) override {}
    void setVertical(bool) override {}
    int max() const override { return 100; }
};

class SilentWindow : public GameWindow {
  public:
    MsgAnswer messageBox(const std::string&, MsgButtons, MsgIcon, const std::string&) override {
        return MsgAnswer::Ok;
    }
    std::optional<std::string> inputBox(const std::string&, const std::string&,
                                        const std::string&) override {
        return std::nullopt;
    }
    bool showOpen(CommonDialog&) override { return false; }
    bool showSave(CommonDialog&) override { return false; }
    void PlaySound(const std::string&) override {}
    void showBoard() override {}
    void RecFileSave() override {}
    void setTimer1Enabled(bool) override {}
    bool timer1Enabled() const override { return false; }
    void setTimer1Interval(int) override {}
    void setRingButtonsEnabled(bool) override {}
    ProgressBarControl& progressBar1() override { return bar_; }
    ProgressBarControl& progressBar2() override { return bar_; }
    int selectedOption() const override { return 0; }
    void setTileImagesVisible(bool) override {}
    void navigate(const std::string&) override {}
    void focusBrowser() override {}
    std::string programFolder() const override { return "/opt/qob"; }
    DateTime now() const override { return DateTime{2026, 12, 10, 9, 30, 12}; }

  private:
    SilentBar bar_;
};

}  // namespace qob::bench
