// The window driven as a player drives it: mouse clicks on tiles and buttons, with
// most boxes answered by a script and a few by pressing the real dialogs' buttons.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "Form1.h"
#include "GameTimer.h"
#include "ProgressBar.h"
#include "ScriptedDialogs.h"
#include "SoundPlayer.h"
#include "TileImage.h"
#include "WebBrowser.h"

using namespace qob;

namespace {

int imageOf(int x, int y) {
    return (y - 1) * 7 + (x - 1);
}

// A board where no two touching tiles are equal, with kind 8 at the given cells and
// a spare group of kind 9 at the top of the right column, which keeps the game going.
void setBoard(GameState& s, std::initializer_list<std::pair<int, int>> eights) {
    for (int y = 1; y <= 7; ++y)
        for (int x = 1; x <= 7; ++x)
            s.board[x][y] = std::string(1, char('1' + (x + 3 * y) % 7));
    for (int y = 2; y <= 4; ++y)
        s.board[7][y] = "9";
    for (auto [x, y] : eights)
        s.board[x][y] = "8";
}

// Presses a button of the next modal box or dialog once it is open, after letting
// the test change the dialog (type a name, say).
void whenModalOpens(std::function<void(QWidget*)> act) {
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            poll->stop();
            poll->deleteLater();
            act(modal);
        }
    });
    poll->start();
}

QPushButton* buttonLabelled(QWidget* box, const QString& text) {
    for (auto* b : box->findChildren<QPushButton*>())
        if (b->text().remove('&') == text) return b;
    return nullptr;
}

}  // namespace

class Form1Test : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void startsAsAfterLoad();
    void controlsStandWhereTheyBelong();
    void tileClickRemovesAGroup();
    void tileClickOnASmallGroupIsRefused();
    void clickAfterTheGameStoppedStartsANewGame();
    void statusLineAndBarsFollowTheMode_data();
    void statusLineAndBarsFollowTheMode();
    void sportMoveCompletesALevel();
    void hundredthTickEndsTheGameAndTheBarTurnsRed();
    void clockStopsTickingAtIntervalZero();
    void the180thLimMoveEndsTheGame();
    void ringButtonsRestAfterTenUses();
    void fourRotationsGiveTheBoardBack();
    void reshuffleKeepsTheInnerTiles();
    void cancelledModeChangeKeepsTheModeAndAsksOnce();
    void acceptedModeChangeStartsTheNewMode();
    void missingPicturesAndSoundsDoNotStopTheGame();
    void realBoxesRefuseAClickAndCancelAModeChange();
    void realDialogsSaveAScoreRecord();

  private:
    void makeForm(const QString& folder);
    void clickTile(int x, int y) {
        QTest::mouseClick(form->Image1[static_cast<std::size_t>(imageOf(x, y))], Qt::LeftButton);
    }

    std::unique_ptr<QTemporaryDir> folder;
    test::ScriptedDialogs dialogs;
    std::unique_ptr<Form1> form;
};

void Form1Test::init() {
    // A program folder of its own for every test, with the game's files in it.
    folder = std::make_unique<QTemporaryDir>();
    QVERIFY(folder->isValid());
    for (const char* sub : {"images", "data", "help"})
        QVERIFY(QFile::link(QStringLiteral(QOB_TEST_ASSETS "/") + sub, folder->filePath(sub)));
    dialogs = test::ScriptedDialogs();
    makeForm(folder->path());
}

void Form1Test::makeForm(const QString& programFolder) {
    form = std::make_unique<Form1>(Form1::Setup{programFolder, "http://127.0.0.1:9", &dialogs,
                                                [] { return DateTime{2026, 12, 10, 9, 30, 12}; }});
    form->Form_Load();
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    dialogs.log.clear();
}

void Form1Test::cleanup() {
    form.reset();
    folder.reset();
}

void Form1Test::startsAsAfterLoad() {
    QCOMPARE(form->windowTitle(), QStringLiteral("霁虹珠台 QOB 3.1"));
    QVERIFY(form->Option1[0]->isChecked());
    QCOMPARE(form->state().gameMode, std::string("game"));
    QCOMPARE(form->Label1->text(), QStringLiteral("总分:0 分:0  奖:0  关:0 轮:0(0)  类型:game"));
    QCOMPARE(form->Frame6->title(), QStringLiteral("游戏 [开始:2026-12-10 9:30:12]"));
    QCOMPARE(form->Check1->text(), QStringLiteral("Internet"));
    QCOMPARE(form->Check1->checkState(), Qt::PartiallyChecked);
    QVERIFY(!form->Check1->isEnabled());
    QVERIFY(form->WebBrowser1->currentAddress().endsWith(QStringLiteral("/help/ssindex.htm")));
    QVERIFY(!form->state().onlineFlag);
    QVERIFY(form->timer2().isActive());
    QCOMPARE(form->timer2().interval(), 20000);
    QVERIFY(!form->timer1().isEnabled());
    for (QPushButton* b : {form->Command10, form->Command2})
        QVERIFY(!b->isEnabled());
    for (QPushButton* b : form->linkButtons)
        QVERIFY(!b->isEnabled());
    for (QPushButton* b : {form->Command8, form->Command9})
        QVERIFY(!b->isEnabled());
    for (TileImage* tile : form->Image1)
        QVERIFY(!tile->pixmap().isNull());
    QCOMPARE(form->sound().lastSource(), folder->filePath("data/startgame.wav"));
}

void Form1Test::controlsStandWhereTheyBelong() {
    QCOMPARE(form->size(), QSize(786, 514));
    QCOMPARE(form->Frame1->geometry(), QRect(27, 30, 431, 435));
    QCOMPARE(form->Image1[0]->geometry(), QRect(6, 10, 61, 61));
    QCOMPARE(form->Image1[48]->geometry(), QRect(366, 370, 61, 61));
    QCOMPARE(form->ccrpProgressBar1->geometry(), QRect(5, 32, 16, 389));
    QCOMPARE(form->WebBrowser1->geometry(), QRect(484, 134, 297, 355));
    QCOMPARE(form->Option1[2]->geometry(), QRect(144, 24, 71, 13));
    QCOMPARE(form->Command17->parentWidget(), form->Frame6);
    QVERIFY(form->Frame1->geometry().intersects(form->Frame5->geometry()));
    // The board frame lies above its backdrop.
    QVERIFY(form->children().indexOf(form->Frame1) > form->children().indexOf(form->Frame5));
}

void Form1Test::tileClickRemovesAGroup() {
    setBoard(form->state(), {{3, 5}, {3, 6}, {4, 7}, {5, 7}, {6, 7}});
    form->showBoard();
    clickTile(4, 7);
    QCOMPARE(form->state().roundNo, 1);
    QCOMPARE(form->Label2->text(), QStringLiteral("本轮:[5,27]非常好，你有高超灵感"));
    QCOMPARE(form->Label1->text(), QStringLiteral("总分:37 分:27  奖:10  关:0 轮:1(5)  类型:game"));
    QCOMPARE(form->sound().lastSource(), folder->filePath("data/click.wav"));
    // New tiles are framed once, and the board holds single digits again.
    QVERIFY(form->Image1[imageOf(3, 1)]->isBordered());
    QVERIFY(form->Image1[imageOf(5, 1)]->isBordered());
    QVERIFY(!form->Image1[imageOf(1, 1)]->isBordered());
    QCOMPARE(form->state().board[3][1].size(), std::size_t{1});
    form->showBoard();
    QVERIFY(!form->Image1[imageOf(3, 1)]->isBordered());
}

void Form1Test::tileClickOnASmallGroupIsRefused() {
    setBoard(form->state(), {{1, 1}, {2, 2}});
    form->showBoard();
    const QString status = form->Label1->text();
    clickTile(1, 1);
    QCOMPARE(dialogs.boxes(),
             std::vector<std::string>{"messageBox 一次消掉大于2个泡泡，才能继续。 [] ok critical"});
    QCOMPARE(form->state().roundNo, 0);
    QCOMPARE(form->Label1->text(), status);
    QCOMPARE(form->state().board[1][1], std::string("8"));
}

void Form1Test::clickAfterTheGameStoppedStartsANewGame() {
    form->state().gameState = "stop";
    form->state().roundNo = 12;
    clickTile(4, 4);
    QVERIFY(!dialogs.boxes().empty());
    QCOMPARE(dialogs.boxes().front(),
             std::string("messageBox 开始一个新游戏！ [QOB霁虹珠台 新游戏] ok none"));
    QCOMPARE(form->state().gameState, std::string("run"));
    QVERIFY(form->state().roundNo <= 1);
}

void Form1Test::statusLineAndBarsFollowTheMode_data() {
    QTest::addColumn<int>("option");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("clock");
    QTest::addColumn<bool>("leftCaption");
    QTest::addColumn<bool>("rightCaption");
    QTest::newRow("game") << 0 << "总分:0 分:0  奖:0  关:0 轮:0(0)  类型:game" << false << false
                          << false;
    QTest::newRow("sport") << 1 << "总分:0 分:0  奖:0  关:1 轮:0(0)  类型:sport" << true << true
                           << true;
    QTest::newRow("lim") << 2 << "总分:0 分:0  奖:0  关:0 轮:0(0)  类型:lim" << false << true
                         << false;
}

void Form1Test::statusLineAndBarsFollowTheMode() {
    QFETCH(int, option);
    QFETCH(QString, status);
    QFETCH(bool, clock);
    QFETCH(bool, leftCaption);
    QFETCH(bool, rightCaption);
    QTest::mouseClick(form->Option1[static_cast<std::size_t>(option)], Qt::LeftButton);
    if (option == 0) form->Command1_Click();  // already selected: start anew with the button
    QCOMPARE(form->Label1->text(), status);
    QCOMPARE(form->timer1().isEnabled(), clock);
    QCOMPARE(form->Label3->isEnabled(), leftCaption);
    QCOMPARE(form->Label4->isEnabled(), rightCaption);
    QCOMPARE(form->Command8->isEnabled(), clock);
    QCOMPARE(form->ccrpProgressBar1->value(), 0);
    QCOMPARE(form->ccrpProgressBar2->value(), 0);
    QCOMPARE(form->ccrpProgressBar2->fillColor(), QColor(0, 255, 0));
}

void Form1Test::sportMoveCompletesALevel() {
    QTest::mouseClick(form->Option1[1], Qt::LeftButton);
    setBoard(form->state(),
             {{1, 1}, {2, 1}, {3, 1}, {1, 2}, {2, 2}, {3, 2}, {1, 3}, {2, 3}, {3, 3}});
    form->state().levelProgress = 95;
    form->showBoard();
    QCOMPARE(form->ccrpProgressBar2->value(), 95);
    int barDuringBox = -1;
    dialogs.duringBox = [&](const std::string&) { barDuringBox = form->ccrpProgressBar2->value(); };
    dialogs.log.clear();

    clickTile(2, 2);

    QCOMPARE(barDuringBox, 100);
    QCOMPARE(dialogs.boxes(),
             std::vector<std::string>{
                 "messageBox 祝贺，你神奇地进入下一关，继续努力哦！ [] ok information"});
    QCOMPARE(form->Label1->text(),
             QStringLiteral("总分:343 分:343  奖:2420  关:2 轮:1(9)  类型:sport"));
    QCOMPARE(form->Label2->text(), QStringLiteral("祝贺，你神奇地进入下一关了！"));
    QCOMPARE(form->ccrpProgressBar2->value(), 0);
    QVERIFY(form->timer1().isEnabled());
    for (TileImage* tile : form->Image1)
        QVERIFY(!tile->isBordered());
}

void Form1Test::hundredthTickEndsTheGameAndTheBarTurnsRed() {
    QTest::mouseClick(form->Option1[1], Qt::LeftButton);
    dialogs.log.clear();
    for (int tick = 1; tick <= 79; ++tick)
        form->Timer1_Timer();
    QCOMPARE(form->ccrpProgressBar1->value(), 79);
    QCOMPARE(form->ccrpProgressBar1->fillColor(), QColor(0, 0, 255));
    QCOMPARE(form->timer1().interval(), 3600);
    form->Timer1_Timer();
    QCOMPARE(form->ccrpProgressBar1->fillColor(), QColor(255, 0, 0));
    for (int tick = 81; tick <= 99; ++tick)
        form->Timer1_Timer();
    QVERIFY(dialogs.boxes().empty());

    QString stateDuringBox;
    dialogs.duringBox = [&](const std::string& text) {
        if (stateDuringBox.isEmpty())
            stateDuringBox = QString::fromStdString(text + " " + form->state().gameState) +
                             QStringLiteral(" %1").arg(form->ccrpProgressBar1->value());
    };
    form->Timer1_Timer();

    QCOMPARE(stateDuringBox, QStringLiteral("游戏结束，再接再厉！可以保存成绩。 stop 100"));
    QCOMPARE(dialogs.log,
             (std::vector<std::string>{
                 "messageBox 游戏结束，再接再厉！可以保存成绩。 [] ok critical",
                 "inputBox 保存成绩,输入你的称呼",
                 "showSave " + QDir::toNativeSeparators(folder->filePath("save")).toStdString() +
                     "/ QOB sport 2026-12-10 93012.rec",
                 "messageBox 开始一个新游戏！ [QOB霁虹珠台 新游戏] ok none"}));
    QCOMPARE(form->state().clockValue, 0.0);
    QCOMPARE(form->state().gameState, std::string("run"));
    QCOMPARE(form->ccrpProgressBar1->value(), 0);
    QVERIFY(form->timer1().isEnabled());
}

void Form1Test::clockStopsTickingAtIntervalZero() {
    QTest::mouseClick(form->Option1[1], Qt::LeftButton);
    QVERIFY(form->timer1().isTicking());
    form->state().levelNo = 85;
    form->Timer1_Timer();
    QCOMPARE(form->timer1().interval(), 1);
    QVERIFY(form->timer1().isTicking());
    form->state().levelNo = 86;
    form->Timer1_Timer();
    QCOMPARE(form->timer1().interval(), 0);
    QVERIFY(form->timer1().isEnabled());
    QVERIFY(!form->timer1().isTicking());
    const double clock = form->state().clockValue;
    QTest::qWait(50);
    QCOMPARE(form->state().clockValue, clock);
}

void Form1Test::the180thLimMoveEndsTheGame() {
    QTest::mouseClick(form->Option1[2], Qt::LeftButton);
    setBoard(form->state(), {{1, 1}, {1, 2}, {1, 3}});
    form->state().roundNo = 179;
    form->showBoard();
    QString statusDuringBox;
    dialogs.duringBox = [&](const std::string& text) {
        if (text.rfind("已经达到", 0) == 0) statusDuringBox = form->Label1->text();
    };
    dialogs.log.clear();

    clickTile(1, 2);

    QCOMPARE(statusDuringBox, QStringLiteral("总分:1 分:1  奖:0  关:0 轮:180(3)  类型:lim"));
    QCOMPARE(dialogs.boxes(),
             (std::vector<std::string>{
                 "messageBox 已经达到180轮次，游戏结束！保留成绩后，可发布成绩。 [] ok information",
                 "messageBox 开始一个新游戏！ [QOB霁虹珠台 新游戏] ok none"}));
    QCOMPARE(dialogs.log[1], std::string("inputBox 保存成绩,输入你的称呼"));
    QCOMPARE(form->state().roundNo, 0);
    QCOMPARE(form->Label1->text(), QStringLiteral("总分:0 分:0  奖:0  关:0 轮:0(0)  类型:lim"));
    QCOMPARE(form->ccrpProgressBar1->value(), 0);
}

void Form1Test::ringButtonsRestAfterTenUses() {
    QTest::mouseClick(form->Option1[1], Qt::LeftButton);
    for (int use = 1; use <= 10; ++use) {
        QVERIFY(form->Command8->isEnabled());
        QTest::mouseClick(use % 2 ? form->Command8 : form->Command9, Qt::LeftButton);
    }
    QVERIFY(!form->Command8->isEnabled());
    QVERIFY(!form->Command9->isEnabled());
    form->game().NewZone();
    QVERIFY(form->Command8->isEnabled());
    QVERIFY(form->Command9->isEnabled());
}

void Form1Test::fourRotationsGiveTheBoardBack() {
    QTest::mouseClick(form->Option1[1], Qt::LeftButton);
    const Grid before = form->state().board;
    QTest::mouseClick(form->Command8, Qt::LeftButton);
    QCOMPARE(form->state().board[7][1], before[1][1]);
    QCOMPARE(form->state().board[7][4], before[4][1]);
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(form->Command8, Qt::LeftButton);
    QVERIFY(form->state().board == before);
}

void Form1Test::reshuffleKeepsTheInnerTiles() {
    QTest::mouseClick(form->Option1[1], Qt::LeftButton);
    auto inner = [this] {
        std::string tiles;
        for (int y = 2; y <= 6; ++y)
            for (int x = 2; x <= 6; ++x)
                tiles += form->state().board[x][y];
        return tiles;
    };
    const Grid before = form->state().board;
    std::string sorted = inner();
    std::sort(sorted.begin(), sorted.end());
    QTest::mouseClick(form->Command9, Qt::LeftButton);
    std::string after = inner();
    std::sort(after.begin(), after.end());
    QCOMPARE(after, sorted);
    for (int i = 1; i <= 7; ++i) {
        QCOMPARE(form->state().board[i][1], before[i][1]);
        QCOMPARE(form->state().board[i][7], before[i][7]);
        QCOMPARE(form->state().board[1][i], before[1][i]);
        QCOMPARE(form->state().board[7][i], before[7][i]);
    }
}

void Form1Test::cancelledModeChangeKeepsTheModeAndAsksOnce() {
    const Grid before = form->state().board;
    dialogs.answers.push_back(MsgAnswer::Cancel);
    QTest::mouseClick(form->Option1[1], Qt::LeftButton);
    QCOMPARE(dialogs.boxes(),
             std::vector<std::string>{
                 "messageBox 是否开始一个新游戏！ [QOB霁虹珠台 新游戏] okcancel none"});
    QVERIFY(form->Option1[0]->isChecked());
    QVERIFY(!form->Option1[1]->isChecked());
    QCOMPARE(form->state().gameMode, std::string("game"));
    QVERIFY(form->state().board == before);
    // A click on the button that is already selected changes nothing and asks nothing.
    QTest::mouseClick(form->Option1[0], Qt::LeftButton);
    QCOMPARE(dialogs.boxes().size(), std::size_t{1});
}

void Form1Test::acceptedModeChangeStartsTheNewMode() {
    QTest::mouseClick(form->Option1[2], Qt::LeftButton);
    QCOMPARE(dialogs.boxes().size(), std::size_t{1});
    QCOMPARE(form->state().gameMode, std::string("lim"));
    QVERIFY(form->Option1[2]->isChecked());
}

void Form1Test::missingPicturesAndSoundsDoNotStopTheGame() {
    QTemporaryDir bare;
    makeForm(bare.path());
    for (TileImage* tile : form->Image1)
        QVERIFY(!tile->pixmap().isNull());
    QCOMPARE(form->sound().beeps(), 1);  // the start sound
    setBoard(form->state(), {{1, 1}, {1, 2}, {1, 3}});
    clickTile(1, 1);
    QCOMPARE(form->state().roundNo, 1);
    QCOMPARE(form->sound().beeps(), 2);
}

void Form1Test::realBoxesRefuseAClickAndCancelAModeChange() {
    form.reset();
    form = std::make_unique<Form1>(Form1::Setup{folder->path(), "http://127.0.0.1:9"});
    form->Form_Load();
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));

    setBoard(form->state(), {{1, 1}});
    form->showBoard();
    QString seen;
    whenModalOpens([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box);
        seen = box->text() + QStringLiteral("|") + box->windowTitle() +
               (box->icon() == QMessageBox::Critical ? QStringLiteral("|critical") : QString());
        buttonLabelled(box, QStringLiteral("确定"))->click();
    });
    clickTile(1, 1);
    QCOMPARE(seen, QStringLiteral("一次消掉大于2个泡泡，才能继续。|霁虹珠台 QOB|critical"));

    whenModalOpens([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box);
        seen = box->text() + QStringLiteral("|") + box->windowTitle();
        QTest::keyClick(box, Qt::Key_Escape);
    });
    QTest::mouseClick(form->Option1[2], Qt::LeftButton);
    QCOMPARE(seen, QStringLiteral("是否开始一个新游戏！|QOB霁虹珠台 新游戏"));
    QVERIFY(form->Option1[0]->isChecked());
    QCOMPARE(form->state().gameMode, std::string("game"));
}

void Form1Test::realDialogsSaveAScoreRecord() {
    form.reset();
    form = std::make_unique<Form1>(Form1::Setup{folder->path(), "http://127.0.0.1:9", nullptr,
                                                [] { return DateTime{2026, 12, 10, 9, 30, 12}; }});
    form->Form_Load();
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));

    bool tilesHidden = false;
    whenModalOpens([&](QWidget* modal) {
        auto* box = qobject_cast<QInputDialog*>(modal);
        QVERIFY(box);
        QCOMPARE(box->labelText(), QStringLiteral("保存成绩,输入你的称呼"));
        tilesHidden = !form->Image1[0]->isVisible();
        box->setTextValue(QStringLiteral("小明"));
        whenModalOpens([&](QWidget* next) {
            auto* files = qobject_cast<QFileDialog*>(next);
            QVERIFY(files);
            QCOMPARE(files->windowTitle(), QStringLiteral("QOB"));
            QCOMPARE(files->nameFilters().front(), QStringLiteral("(*.rec)进度文件 (*.rec)"));
            QCOMPARE(QDir(files->directory()).canonicalPath(),
                     QDir(folder->filePath("save")).canonicalPath());
            auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QVERIFY(name);
            QCOMPARE(name->text(), QStringLiteral("小明 QOB game 2026-12-10 93012.rec"));
            QTest::keyClick(name, Qt::Key_Return);
        });
        box->accept();
    });
    QTest::mouseClick(form->Command7, Qt::LeftButton);

    QVERIFY(tilesHidden);
    QVERIFY(form->Image1[0]->isVisible());
    QFile saved(folder->filePath("save/小明 QOB game 2026-12-10 93012.rec"));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QByteArray text = saved.readAll();
    QVERIFY(text.startsWith("QOB|rec|"));
    // The 201 fields, then the piece with the name.
    QCOMPARE(text.count('|'), 201);
    QVERIFY(text.endsWith("|name=\xD0\xA1\xC3\xF7"));  // 小明 in code page 936
    QVERIFY(!text.endsWith('\n'));
}

QTEST_MAIN(Form1Test)
#include "Form1Test.moc"
