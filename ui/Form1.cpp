#include "Form1.h"

#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QDateTime>
#include <QDir>
#include <QFrame>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QShowEvent>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>

#include "AppSetup.h"
#include "BoardFrame.h"
#include "BoardGroups.h"
#include "BoardText.h"
#include "GameTimer.h"
#include "InternetStatus.h"
#include "ProgressBar.h"
#include "QtDialogs.h"
#include "SoundPlayer.h"
#include "TextForms.h"
#include "TileImage.h"
#include "TwipsLayout.h"
#include "WebBrowser.h"

namespace qob {

namespace {

template <typename Control>
Control* make(TwipsLayout& layout, QWidget* parent, const char* name, const QString& caption,
              int left, int top, int width, int height) {
    auto* control = new Control(caption, parent);
    control->setObjectName(QLatin1String(name));
    layout.place(control, left, top, width, height);
    return control;
}

QGroupBox* makeFrame(TwipsLayout& layout, QWidget* parent, const char* name, const QString& caption,
                     int left, int top, int width, int height) {
    return make<QGroupBox>(layout, parent, name, caption, left, top, width, height);
}

void paintGrey(QWidget* w) {
    QPalette palette = w->palette();
    palette.setColor(QPalette::Window, QColor(128, 128, 128));
    w->setPalette(palette);
    w->setAutoFillBackground(true);
}

QFont fontOf(const QString& family, double points, bool bold = false) {
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// The help pages: the path after the website's address and the local copy.
struct HelpPage {
    const char* online;
    const char* local;
};
constexpr HelpPage kHomePage{"/qob/ssindex.htm", "\\help\\ssindex.htm"};
constexpr HelpPage kRulesPage{"/qob/ssrule.htm", "\\help\\ssrule.htm"};
constexpr HelpPage kListPage{"/qob/sslist.htm", "\\help\\sslist.htm"};
constexpr HelpPage kDownloadPage{"/qob/ssdownload.htm", "\\help\\ssdownload.htm"};

QString probeCaption(const char* prefix, const DateTime& when) {
    return QString::fromUtf8(prefix) + QString::fromStdString(when.toText()) + QStringLiteral(" ]");
}

}  // namespace

Form1::Form1(Setup setup, QWidget* parent)
    : QWidget(parent),
      m_setup(std::move(setup)),
      m_dialogs(m_setup.dialogs),
      m_sound(new SoundPlayer(QCoreApplication::applicationDirPath(), this)),
      m_pictures(m_setup.programFolder + QStringLiteral("/images/default")),
      m_game(*this,
             [] {
                 return static_cast<std::uint64_t>(
                     std::chrono::steady_clock::now().time_since_epoch().count());
             }),
      m_records(m_game.state, *this, m_setup.siteUrl),
      m_layout(std::make_unique<TwipsLayout>(this)) {
    if (!m_dialogs) {
        m_ownDialogs = std::make_unique<QtDialogs>();
        m_dialogs = m_ownDialogs.get();
    }
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("霁虹珠台 QOB"));
    QIcon icon(QStringLiteral(":/icons/qob.png"));
    icon.addFile(QStringLiteral(":/icons/qob-48.png"));
    setWindowIcon(icon);
    // The table's natural size is the smallest; a larger window scales it up.
    setMinimumSize(kNaturalSize);
    resize(kNaturalSize);
    m_layout->keepFont(this);
    createControls();
}

Form1::~Form1() = default;

void Form1::createControls() {
    TwipsLayout& layout = *m_layout;
    // The grey backdrop first, so that the board frame lies on top of it.
    Frame5 = new QFrame(this);
    Frame5->setObjectName(QStringLiteral("Frame5"));
    layout.place(Frame5, 330, 330, 6615, 6720);
    Frame5->setFrameShape(QFrame::StyledPanel);
    paintGrey(Frame5);

    Frame1 = new BoardFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    layout.place(Frame1, 405, 450, 6465, 6525);
    paintGrey(Frame1);
    const QPixmap hand(QStringLiteral(":/cursors/hand.png"));
    if (!hand.isNull()) Frame1->setCursor(QCursor(hand, 10, 1));
    for (int i = 0; i < kTileCount; ++i) {
        auto* tile = new TileImage(i, m_pictures, Frame1);
        tile->setObjectName(QStringLiteral("Image1_%1").arg(i));
        layout.place(tile, 90 + 900 * (i % 7), 150 + 900 * (i / 7), 915, 915);
        connect(tile, &TileImage::clicked, this, &Form1::Image1_Click);
        Frame1->addTile(tile);
        Image1[static_cast<std::size_t>(i)] = tile;
    }
    // The keys play the tile under the cursor as the mouse plays the tile under it.
    connect(Frame1, &BoardFrame::tileActivated, this, &Form1::Image1_Click);
    connect(Frame1, &BoardFrame::pointedTileChanged, this, &Form1::previewGroup);

    ccrpProgressBar1 = new ProgressBar(this);
    ccrpProgressBar1->setObjectName(QStringLiteral("ccrpProgressBar1"));
    layout.place(ccrpProgressBar1, 75, 480, 240, 5835);
    ccrpProgressBar2 = new ProgressBar(this);
    ccrpProgressBar2->setObjectName(QStringLiteral("ccrpProgressBar2"));
    layout.place(ccrpProgressBar2, 6960, 480, 240, 5835);
    // The bars' captions stand one character a line.
    Label3 = make<QLabel>(layout, this, "Label3", QStringLiteral("进\n度\n数"), 90, 6390, 195, 555);
    Label4 =
        make<QLabel>(layout, this, "Label4", QStringLiteral("通\n关\n数"), 6990, 6390, 195, 555);
    for (QLabel* caption : {Label3, Label4}) {
        caption->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        caption->setFont(fontOf(chineseFamily(), 7.5));
        layout.keepFont(caption);
    }

    Frame3 = makeFrame(layout, this, "Frame3", {}, 60, -30, 7155, 495);
    Label1 = make<QLabel>(layout, Frame3, "Label1", {}, 120, 180, 6915, 225);
    Label1->setFont(fontOf(statusFamily(), 9));
    layout.keepFont(Label1);
    QPalette blue = Label1->palette();
    blue.setColor(QPalette::WindowText, QColor(0, 0, 192));
    Label1->setPalette(blue);

    Command9 =
        make<QPushButton>(layout, this, "Command9", QStringLiteral("内盘重组"), 60, 7080, 915, 570);
    Frame4 = makeFrame(layout, this, "Frame4", {}, 990, 7020, 5280, 585);
    Label2 = make<QLabel>(layout, Frame4, "Label2", {}, 150, 180, 4995, 315);
    Label2->setFont(fontOf(chineseFamily(), 10.5, true));
    layout.keepFont(Label2);
    Command8 = make<QPushButton>(layout, this, "Command8", QStringLiteral("外边转动"), 6300, 7080,
                                 915, 570);

    Frame2 = makeFrame(layout, this, "Frame2", {}, 7260, -30, 4455, 2115);
    Frame6 = makeFrame(layout, Frame2, "Frame6", QStringLiteral("游戏"), 60, 180, 4335, 1065);
    Command1 = make<QPushButton>(layout, Frame6, "Command1", QStringLiteral("开始游戏"), 60, 210,
                                 1005, 450);
    const struct {
        const char* name;
        const char* caption;
        int left;
    } modes[] = {{"Option1_0", "常规模式", 1110},
                 {"Option1_1", "过关模式", 3210},
                 {"Option1_2", "限次模式", 2160}};
    for (int i = 0; i < 3; ++i) {
        auto* option =
            make<QRadioButton>(layout, Frame6, modes[i].name, QString::fromUtf8(modes[i].caption),
                               modes[i].left, 360, 1065, 195);
        // A change the player makes, then its click: a selection made by a redraw is
        // no click, and a click on the selected button changes nothing.
        connect(option, &QRadioButton::toggled, this, [this](bool on) {
            if (on && !m_selectingMode) m_modeChanged = true;
        });
        connect(option, &QRadioButton::clicked, this, [this, i] {
            if (!m_modeChanged) return;
            m_modeChanged = false;
            Option1_Click(i);
        });
        Option1[static_cast<std::size_t>(i)] = option;
    }
    Option1[0]->setChecked(true);
    Command10 = make<QPushButton>(layout, Frame6, "Command10", QStringLiteral("保存进度"), 60, 690,
                                  1005, 315);
    Command2 = make<QPushButton>(layout, Frame6, "Command2", QStringLiteral("读取进度"), 1110, 690,
                                 1005, 315);
    Command7 = make<QPushButton>(layout, Frame6, "Command7", QStringLiteral("保留成绩"), 2190, 690,
                                 975, 315);
    Command17 = make<QPushButton>(layout, Frame6, "Command17", QStringLiteral("发布成绩"), 3240,
                                  690, 1005, 315);
    // The progress buttons exist, but nothing in the game enables them.
    Command10->setEnabled(false);
    Command2->setEnabled(false);

    Command6 = make<QPushButton>(layout, Frame2, "Command6", QStringLiteral("珠台之家"), 60, 1290,
                                 1035, 375);
    Command5 = make<QPushButton>(layout, Frame2, "Command5", QStringLiteral("游戏规则"), 1110, 1290,
                                 1095, 375);
    Command4 = make<QPushButton>(layout, Frame2, "Command4", QStringLiteral("排行榜"), 2220, 1290,
                                 1065, 375);
    Command3 = make<QPushButton>(layout, Frame2, "Command3", QStringLiteral("软件升级"), 3300, 1290,
                                 1095, 375);
    const struct {
        const char* name;
        const char* caption;
        int left, width;
    } links[] = {{"Command16", "热门", 60, 675},   {"Command11", "新闻", 750, 705},
                 {"Command12", "音乐", 1470, 735}, {"Command14", "电影", 2220, 705},
                 {"Command15", "下载", 2940, 765}, {"Command13", "购物", 3720, 675}};
    for (std::size_t i = 0; i < std::size(links); ++i) {
        linkButtons[i] =
            make<QPushButton>(layout, Frame2, links[i].name, QString::fromUtf8(links[i].caption),
                              links[i].left, 1680, links[i].width, 345);
        linkButtons[i]->setEnabled(false);
    }

    WebBrowser1 = new WebBrowser(this);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    layout.place(WebBrowser1, 7260, 2010, 4455, 5325);
    // A page keeps its own type sizes in a larger window, as in any browser: the sizes a
    // page sets itself would not follow the panel's font, the others would.
    QFont pageFont = font();
    pageFont.setPointSizeF(pageFont.pointSizeF());  // set, so as not to follow the window's
    WebBrowser1->setFont(pageFont);
    WebBrowser1->setHomePage(localFile(kHomePage.local));

    Check1 =
        make<QCheckBox>(layout, this, "Check1", QStringLiteral("Internet"), 7290, 7350, 4425, 300);
    Check1->setTristate(true);
    Check1->setCheckState(Qt::PartiallyChecked);
    Check1->setEnabled(false);

    Timer1 = new GameTimer(1000, this);
    connect(Timer1, &GameTimer::timeout, this, &Form1::Timer1_Timer);
    Timer2 = new QTimer(this);
    Timer2->setInterval(20000);
    connect(Timer2, &QTimer::timeout, this, &Form1::Timer2_Timer);

    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &Form1::Command6_Click);
    connect(Command7, &QPushButton::clicked, this, &Form1::Command7_Click);
    connect(Command8, &QPushButton::clicked, this, &Form1::Command8_Click);
    connect(Command9, &QPushButton::clicked, this, &Form1::Command9_Click);
    connect(Command10, &QPushButton::clicked, this, &Form1::Command10_Click);
    connect(Command17, &QPushButton::clicked, this, &Form1::Command17_Click);

    // Tab order, as the controls were numbered (frames and labels take no focus), with the
    // board, played with the keys, right after the button that starts a game.
    QWidget* const order[] = {Command1,       Frame1,         WebBrowser1,    Command3,
                              Command4,       Command5,       Command6,       Option1[0],
                              Option1[1],     Command8,       Command9,       Check1,
                              Command10,      Command2,       Command7,       linkButtons[3],
                              linkButtons[5], linkButtons[2], linkButtons[1], linkButtons[4],
                              linkButtons[0], Command17,      Option1[2]};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
}

void Form1::Form_Load() {
    setWindowTitle(
        QStringLiteral("霁虹珠台 QOB %1.%2").arg(QOB_VERSION_MAJOR).arg(QOB_VERSION_MINOR));
    // Laying the page out takes longer than the rest of the window: it follows as soon
    // as the window is on the screen.
    if (m_painted)
        navigateTo(localFile(kHomePage.local));
    else
        m_homePending = true;
    m_game.NewGame("auto");
    showBoard();
    m_game.state.onlineFlag = false;
    Timer2->start();
}

// ---- Event routing ----

void Form1::Command1_Click() {
    m_game.NewGame("box");
    showBoard();
}

void Form1::Option1_Click(int) {
    m_game.NewGame("box");
    showBoard();
}

void Form1::Image1_Click(int index) {
    m_game.GameClick(index);
    showBoard();
}

void Form1::Command2_Click() {
    m_records.ProgFileRead();
}
void Form1::Command7_Click() {
    m_records.RecFileSave();
}
void Form1::Command8_Click() {
    m_game.Command8_Click();
}
void Form1::Command9_Click() {
    m_game.Command9_Click();
}
void Form1::Command10_Click() {
    m_records.ProgFileSave();
}
void Form1::Command17_Click() {
    m_records.RecFileUpload();
}
void Form1::Command3_Click() {
    showHelpPage(kDownloadPage.online, kDownloadPage.local);
}
void Form1::Command4_Click() {
    showHelpPage(kListPage.online, kListPage.local);
}
void Form1::Command5_Click() {
    showHelpPage(kRulesPage.online, kRulesPage.local);
}
void Form1::Command6_Click() {
    showHelpPage(kHomePage.online, kHomePage.local);
}
void Form1::Timer1_Timer() {
    m_game.Timer1_Timer();
}

void Form1::Timer2_Timer() {
    InetStatusPing();
    Timer2->stop();
}

void Form1::showHelpPage(const char* onlinePath, const char* localPath) {
    if (m_game.state.onlineFlag)
        navigateTo(QString::fromStdString(m_setup.siteUrl) + QLatin1String(onlinePath));
    else
        navigateTo(localFile(localPath));
    focusBrowser();
}

void Form1::InetStatusPing() {
    Check1->setText(probeCaption("Internet Checking [ ", now()));
    // Paint the caption before the blocking probe.
    QCoreApplication::processEvents();
    if (InternetStatus::intstatus(QUrl(QString::fromStdString(m_setup.siteUrl))) ==
        InternetStatus::Online) {
        Check1->setText(probeCaption("On-line  [ ", now()));
        navigateTo(QString::fromStdString(m_setup.siteUrl) + QLatin1String(kHomePage.online));
        m_game.state.onlineFlag = true;
    } else {
        Check1->setText(probeCaption("Off-line  [ ", now()));
        navigateTo(localFile(kHomePage.local));
        m_game.state.onlineFlag = false;
    }
}

void Form1::navigateTo(const QString& address) {
    // Any page asked for replaces the home page still to come.
    m_homePending = false;
    WebBrowser1->Navigate(address);
}

void Form1::paintEvent(QPaintEvent* event) {
    if (!m_painted) {
        m_painted = true;
        // Once this first picture of the window is on the screen.
        QTimer::singleShot(0, this, &Form1::whenShown);
    }
    QWidget::paintEvent(event);
}

void Form1::showEvent(QShowEvent* event) {
    // Should the window's own paint never come (its controls covering all of it), soon all the
    // same.
    if (!event->spontaneous()) QTimer::singleShot(250, this, &Form1::whenShown);
    QWidget::showEvent(event);
}

void Form1::whenShown() {
    if (m_shownDone) return;
    m_shownDone = true;
    if (m_homePending) navigateTo(localFile(kHomePage.local));
    m_sound->load();
}

QString Form1::localFile(const char* relative) const {
    return QString::fromStdString(programPath(*this, relative));
}

// ---- Drawing ----

void Form1::showBoard() {
    GameState& s = m_game.state;
    int i = 0;
    for (int y = 1; y <= kBoardSize; ++y)
        for (int x = 1; x <= kBoardSize; ++x) {
            const TileLook look = takeTileLook(s.board[x][y]);
            TileImage* tile = Image1[static_cast<std::size_t>(i++)];
            tile->setPicture(look.picture);
            tile->setBordered(look.framed);
        }
    Frame1->tilesRedrawn();
    previewGroup();

    const int modeButton = s.gameMode == kModeGame    ? 0
                           : s.gameMode == kModeSport ? 1
                           : s.gameMode == kModeLim   ? 2
                                                      : -1;
    if (modeButton >= 0) {
        m_selectingMode = true;
        for (int k = 0; k < 3; ++k)
            Option1[static_cast<std::size_t>(k)]->setChecked(k == modeButton);
        m_selectingMode = false;
    }

    Frame6->setTitle(QString::fromStdString(gameFrameCaption(s)));

    ccrpProgressBar1->setVertical(true);
    ccrpProgressBar2->setVertical(true);
    ccrpProgressBar2->setFillColor(kGreen);
    if (s.gameMode == kModeGame) {
        ccrpProgressBar1->setValue(0);
        Timer1->setEnabled(false);
        Label3->setEnabled(false);
        Label4->setEnabled(false);
    } else if (s.gameMode == kModeSport) {
        ccrpProgressBar1->setValue(roundToInt32(s.clockValue));
        ccrpProgressBar2->setValue(roundToInt32(s.levelProgress));
        Label3->setEnabled(true);
        Label4->setEnabled(true);
    } else if (s.gameMode == kModeLim) {
        Timer1->setEnabled(false);
        Label3->setEnabled(true);
        Label4->setEnabled(false);
    }

    Label1->setText(QString::fromStdString(statusLine(s)));
    Label2->setText(QString::fromStdString(s.moveMessage));
}

void Form1::previewGroup() {
    // Only what a click would take now: nothing where it would be refused, nor when a
    // click would first start a new game.
    std::vector<int> tiles;
    const int pointed = Frame1->pointedTile();
    if (pointed >= 0 && m_game.state.gameState == kStateRun) {
        const std::vector<Cell> group =
            groupAt(m_game.state.board, pointed % kBoardSize + 1, pointed / kBoardSize + 1);
        if (group.size() >= static_cast<std::size_t>(kSmallestGroup))
            for (const Cell& cell : group)
                tiles.push_back((cell.y - 1) * kBoardSize + (cell.x - 1));
    }
    Frame1->setPreview(std::move(tiles));
}

void Form1::resizeEvent(QResizeEvent* event) {
    // One factor for the whole table, so that it keeps its shape, and the table centred.
    const QSize area = event->size();
    const double scale = std::max(1.0, std::min(area.width() / double(kNaturalSize.width()),
                                                area.height() / double(kNaturalSize.height())));
    const QSize table(static_cast<int>(std::lround(kNaturalSize.width() * scale)),
                      static_cast<int>(std::lround(kNaturalSize.height() * scale)));
    m_layout->apply(scale, QPoint(std::max(0, (area.width() - table.width()) / 2),
                                  std::max(0, (area.height() - table.height()) / 2)));
    QWidget::resizeEvent(event);
}

// ---- What the rules ask of the window ----

// While a box is open the board previews nothing.
MsgAnswer Form1::messageBox(const std::string& text, MsgButtons buttons, MsgIcon icon,
                            const std::string& title) {
    Frame1->stopPointing();
    return m_dialogs->messageBox(this, text, buttons, icon, title);
}

std::optional<std::string> Form1::inputBox(const std::string& prompt, const std::string& title,
                                           const std::string& defaultText) {
    Frame1->stopPointing();
    return m_dialogs->inputBox(this, prompt, title, defaultText);
}

bool Form1::showOpen(CommonDialog& dialog) {
    Frame1->stopPointing();
    return m_dialogs->showOpen(this, dialog, m_setup.programFolder);
}

bool Form1::showSave(CommonDialog& dialog) {
    Frame1->stopPointing();
    return m_dialogs->showSave(this, dialog, m_setup.programFolder);
}

void Form1::PlaySound(const std::string& soundfileStr) {
    m_sound->play(QString::fromStdString(soundfileStr));
}

void Form1::RecFileSave() {
    m_records.RecFileSave();
}

void Form1::setTimer1Enabled(bool on) {
    Timer1->setEnabled(on);
}
bool Form1::timer1Enabled() const {
    return Timer1->isEnabled();
}
void Form1::setTimer1Interval(int ms) {
    Timer1->setInterval(ms);
}

void Form1::setRingButtonsEnabled(bool on) {
    Command8->setEnabled(on);
    Command9->setEnabled(on);
}

ProgressBarControl& Form1::progressBar1() {
    return *ccrpProgressBar1;
}
ProgressBarControl& Form1::progressBar2() {
    return *ccrpProgressBar2;
}

int Form1::selectedOption() const {
    for (int k = 0; k < 3; ++k)
        if (Option1[static_cast<std::size_t>(k)]->isChecked()) return k;
    return -1;
}

void Form1::setTileImagesVisible(bool visible) {
    for (TileImage* tile : Image1)
        tile->setVisible(visible);
}

void Form1::navigate(const std::string& address) {
    navigateTo(QString::fromStdString(address));
}

void Form1::focusBrowser() {
    WebBrowser1->setFocus(Qt::OtherFocusReason);
}

std::string Form1::programFolder() const {
    return m_setup.programFolder.toStdString();
}

DateTime Form1::now() const {
    if (m_setup.clock) return m_setup.clock();
    const QDateTime t = QDateTime::currentDateTime();
    return DateTime{t.date().year(), t.date().month(),  t.date().day(),
                    t.time().hour(), t.time().minute(), t.time().second()};
}

}  // namespace qob
