#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "Game.h"
#include "GameWindow.h"
#include "RecordFiles.h"
#include "TilePictures.h"

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTimer;

namespace qob {

class BoardFrame;
class Dialogs;
class GameTimer;
class ProgressBar;
class SoundPlayer;
class TileImage;
class TwipsLayout;
class WebBrowser;

// The game's one window: the board, the buttons, the bars, the status lines and
// the side panel. It holds the game and carries out what the rules ask of it.
class Form1 : public QWidget, public GameWindow {
    Q_OBJECT

  public:
    struct Setup {
        QString programFolder;                      // where the pictures, sounds and help pages lie
        std::string siteUrl;                        // the game's website, without a trailing "/"
        Dialogs* dialogs = nullptr;                 // null: the real Qt dialogs
        std::function<DateTime()> clock = nullptr;  // null: the local time
    };

    explicit Form1(Setup setup, QWidget* parent = nullptr);
    ~Form1() override;

    // The window's client area as laid out, and its smallest size.
    static constexpr QSize kNaturalSize{786, 514};

    // Caption, home page, the first game and its drawing, the probe's timer.
    void Form_Load();

    // Event handlers: each routes to the game's procedures.
    void Command1_Click();
    void Option1_Click(int index);
    void Image1_Click(int index);
    void Command2_Click();
    void Command7_Click();
    void Command8_Click();
    void Command9_Click();
    void Command10_Click();
    void Command17_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Timer1_Timer();
    void Timer2_Timer();

    // The connectivity probe: tells on Check1 whether the website answers.
    void InetStatusPing();

    Game& game() { return m_game; }
    GameState& state() { return m_game.state; }
    GameTimer& timer1() { return *Timer1; }
    QTimer& timer2() { return *Timer2; }
    SoundPlayer& sound() { return *m_sound; }

    // GameWindow
    MsgAnswer messageBox(const std::string& text, MsgButtons buttons, MsgIcon icon,
                         const std::string& title = {}) override;
    std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                        const std::string& defaultText) override;
    bool showOpen(CommonDialog& dialog) override;
    bool showSave(CommonDialog& dialog) override;
    void PlaySound(const std::string& soundfileStr) override;
    void showBoard() override;
    void RecFileSave() override;
    void setTimer1Enabled(bool on) override;
    bool timer1Enabled() const override;
    void setTimer1Interval(int ms) override;
    void setRingButtonsEnabled(bool on) override;
    ProgressBarControl& progressBar1() override;
    ProgressBarControl& progressBar2() override;
    int selectedOption() const override;
    void setTileImagesVisible(bool visible) override;
    void navigate(const std::string& address) override;
    void focusBrowser() override;
    std::string programFolder() const override;
    DateTime now() const override;

    // The controls, under the names the game knows them by.
    BoardFrame* Frame1;
    QFrame* Frame5;
    QGroupBox* Frame2;
    QGroupBox* Frame3;
    QGroupBox* Frame4;
    QGroupBox* Frame6;
    std::array<TileImage*, kTileCount> Image1{};
    ProgressBar* ccrpProgressBar1;
    ProgressBar* ccrpProgressBar2;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QPushButton* Command1;
    std::array<QRadioButton*, 3> Option1{};
    QPushButton* Command2;
    QPushButton* Command3;
    QPushButton* Command4;
    QPushButton* Command5;
    QPushButton* Command6;
    QPushButton* Command7;
    QPushButton* Command8;
    QPushButton* Command9;
    QPushButton* Command10;
    std::array<QPushButton*, 6> linkButtons{};  // Command11 to Command16, never enabled
    QPushButton* Command17;
    QCheckBox* Check1;
    WebBrowser* WebBrowser1;
    GameTimer* Timer1;
    QTimer* Timer2;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void createControls();
    void showHelpPage(const char* onlinePath, const char* localPath);
    void navigateTo(const QString& address);
    // What can wait until the window is on the screen, the player none the wiser.
    void whenShown();
    // Lights the group a click on the tile pointed at would take.
    void previewGroup();
    QString localFile(const char* relative) const;

    Setup m_setup;
    std::unique_ptr<Dialogs> m_ownDialogs;
    Dialogs* m_dialogs;
    SoundPlayer* m_sound;
    TilePictures m_pictures;
    Game m_game;
    RecordFiles m_records;
    std::unique_ptr<TwipsLayout> m_layout;
    // True while showBoard selects a mode button, which is not the player's click.
    bool m_selectingMode = false;
    // True once the player has changed the selected mode button, until its click.
    bool m_modeChanged = false;
    bool m_painted = false;
    bool m_shownDone = false;
    bool m_homePending = false;  // the home page of Form_Load, not opened yet
};

}  // namespace qob
