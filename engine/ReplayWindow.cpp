#include "ReplayWindow.h"

#include "BoardText.h"

namespace qob {

MsgAnswer ReplayWindow::messageBox(const std::string&, MsgButtons, MsgIcon, const std::string&) {
    return MsgAnswer::Ok;
}

std::optional<std::string> ReplayWindow::inputBox(const std::string&, const std::string&,
                                                  const std::string&) {
    return std::nullopt;
}

bool ReplayWindow::showOpen(CommonDialog&) {
    return false;
}

bool ReplayWindow::showSave(CommonDialog&) {
    return false;
}

void ReplayWindow::PlaySound(const std::string&) {}

void ReplayWindow::showBoard() {
    if (state_ == nullptr) return;
    // A cell of one byte is a tile already; the redraw cuts the longer ones back.
    for (int y = 1; y <= kBoardSize; ++y)
        for (int x = 1; x <= kBoardSize; ++x)
            if (state_->board[x][y].size() > 1) takeTileLook(state_->board[x][y]);
    if (state_->gameMode == kModeGame || state_->gameMode == kModeLim) timer1_ = false;
}

void ReplayWindow::RecFileSave() {
    if (state_ == nullptr || record_) return;
    record_ = *state_;
    if (onRecord) onRecord();
}

void ReplayWindow::setTileImagesVisible(bool) {}

void ReplayWindow::navigate(const std::string&) {}

void ReplayWindow::focusBrowser() {}

DateTime ReplayWindow::now() const {
    return DateTime{2005, 6, 1, 12, 0, 0};
}

}  // namespace qob
