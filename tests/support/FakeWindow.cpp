#include "FakeWindow.h"

namespace qob::test {

void FakeBar::setValue(int v) {
    value = v;
    log_.push_back(name_ + ".value " + std::to_string(v));
}
void FakeBar::setFillColor(Colour c) {
    colour = c;
    log_.push_back(name_ + ".colour " + std::to_string(c));
}
void FakeBar::setSmooth(bool on) {
    smooth = on;
    log_.push_back(name_ + ".smooth " + std::to_string(on));
}
void FakeBar::setVertical(bool on) {
    vertical = on;
    log_.push_back(name_ + ".vertical " + std::to_string(on));
}

FakeWindow::FakeWindow() = default;

MsgAnswer FakeWindow::messageBox(const std::string& text, MsgButtons buttons, MsgIcon icon,
                                 const std::string& title) {
    static const char* const kIcons[] = {"none", "critical", "information"};
    log.push_back("messageBox " + text + " [" + title + "] " +
                  (buttons == MsgButtons::Ok ? "ok" : "okcancel") + " " +
                  kIcons[static_cast<int>(icon)]);
    if (duringMessageBox) duringMessageBox(text);
    if (buttons == MsgButtons::Ok) return MsgAnswer::Ok;
    if (answers.empty()) return MsgAnswer::Ok;
    const MsgAnswer a = answers.front();
    answers.pop_front();
    return a;
}

std::optional<std::string> FakeWindow::inputBox(const std::string& prompt, const std::string& title,
                                                const std::string& defaultText) {
    log.push_back("inputBox " + prompt + " [" + title + "] [" + defaultText + "]");
    if (inputs.empty()) return std::nullopt;
    auto a = inputs.front();
    inputs.pop_front();
    return a;
}

namespace {
bool answerDialog(std::deque<std::optional<std::string>>& files, CommonDialog& dialog) {
    if (files.empty() || !files.front()) {
        if (!files.empty()) files.pop_front();
        return false;
    }
    dialog.fileName = *files.front();
    files.pop_front();
    return true;
}
}  // namespace

bool FakeWindow::showOpen(CommonDialog& dialog) {
    lastDialog = dialog;
    log.push_back("showOpen " + dialog.fileName);
    return answerDialog(files, dialog);
}

bool FakeWindow::showSave(CommonDialog& dialog) {
    lastDialog = dialog;
    log.push_back("showSave " + dialog.fileName);
    return answerDialog(files, dialog);
}

void FakeWindow::PlaySound(const std::string& soundfileStr) {
    log.push_back("PlaySound " + soundfileStr);
}

void FakeWindow::showBoard() {
    log.push_back("showBoard");
    if (onShowBoard) onShowBoard();
}

void FakeWindow::RecFileSave() {
    log.push_back("RecFileSave");
    if (onRecFileSave) onRecFileSave();
}

void FakeWindow::setTimer1Enabled(bool on) {
    timer1 = on;
    log.push_back(std::string("timer1 ") + (on ? "on" : "off"));
}

void FakeWindow::setTimer1Interval(int ms) {
    timer1Interval = ms;
    log.push_back("timer1.interval " + std::to_string(ms));
}

void FakeWindow::setRingButtonsEnabled(bool on) {
    ringButtons = on;
    log.push_back(std::string("ring ") + (on ? "on" : "off"));
}

void FakeWindow::setTileImagesVisible(bool visible) {
    tilesVisible = visible;
    log.push_back(std::string("tiles ") + (visible ? "shown" : "hidden"));
}

void FakeWindow::navigate(const std::string& address) {
    log.push_back("navigate " + address);
}

void FakeWindow::focusBrowser() {
    log.push_back("focusBrowser");
}

std::vector<std::string> FakeWindow::calls(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& line : log)
        if (line.compare(0, prefix.size(), prefix) == 0) out.push_back(line);
    return out;
}

}  // namespace qob::test
