#include "GamePlayer.h"

#include <vector>

#include "BoardGroups.h"
#include "BoardText.h"

namespace qob::test {

namespace {

// The window's clock `seconds` later (days past the 28th go on in the next month).
void advance(DateTime& t, int seconds) {
    t.second += seconds;
    t.minute += t.second / 60;
    t.second %= 60;
    t.hour += t.minute / 60;
    t.minute %= 60;
    t.day += t.hour / 24;
    t.hour %= 24;
    while (t.day > 28) {
        t.day -= 28;
        if (++t.month > 12) {
            t.month = 1;
            ++t.year;
        }
    }
}

}  // namespace

GamePlayer::GamePlayer(Game& game, FakeWindow& window, unsigned seed, Style style)
    : game_(game), window_(window), random_(seed), style_(style) {
    window_.onShowBoard = [this] {
        GameState& s = game_.state;
        for (int y = 1; y <= kBoardSize; ++y)
            for (int x = 1; x <= kBoardSize; ++x)
                takeTileLook(s.board[x][y]);
        if (s.gameMode == kModeGame || s.gameMode == kModeLim) window_.timer1 = false;
    };
    window_.onRecFileSave = [this] {
        if (record_) return;
        record_ = game_.state;
        if (onRecord) onRecord();
    };
}

bool GamePlayer::clockRuns() const {
    return window_.timer1 && window_.timer1Interval > 0;
}

void GamePlayer::tick() {
    // The tick comes one interval after the last.
    advance(window_.clock, (window_.timer1Interval + 999) / 1000);
    game_.Timer1_Timer();
}

void GamePlayer::ringButton(bool rotation) {
    advance(window_.clock, 2);
    if (rotation)
        game_.Command8_Click();
    else
        game_.Command9_Click();
}

void GamePlayer::click(int imageNum) {
    advance(window_.clock, 3);
    game_.GameClick(imageNum);
    window_.showBoard();
}

bool GamePlayer::act() {
    if (record_) return false;
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    if (clockRuns() && chance(random_) < tickChance) {
        tick();
        return !record_;
    }

    // Each group once, found from its first cell in reading order.
    std::vector<std::vector<Cell>> groups;
    std::vector<Cell> small;
    for (int y = 1; y <= kBoardSize; ++y)
        for (int x = 1; x <= kBoardSize; ++x) {
            std::vector<Cell> group = groupAt(game_.state.board, x, y);
            bool first = true;
            for (const Cell& c : group)
                first = first && (c.y > y || (c.y == y && c.x >= x));
            if (group.size() < static_cast<std::size_t>(kSmallestGroup))
                small.push_back({x, y});
            else if (first)
                groups.push_back(std::move(group));
        }
    const bool ringsOn = window_.ringButtons;
    if (ringsOn && (groups.empty() || chance(random_) < ringChance)) {
        ringButton(random_() % 2 == 0);
        return !record_;
    }
    if (!small.empty() && chance(random_) < refusedChance) {
        const Cell c = small[random_() % small.size()];
        click((c.y - 1) * kBoardSize + c.x - 1);
        return !record_;
    }
    if (groups.empty()) {
        // Nothing to click and no ring use left: only the clock can end this.
        if (clockRuns()) tick();
        return !record_;
    }
    std::size_t pick = random_() % groups.size();
    for (std::size_t k = 0; k < groups.size(); ++k)
        if ((style_ == Style::Greedy && groups[k].size() > groups[pick].size()) ||
            (style_ == Style::Smallest && groups[k].size() < groups[pick].size()))
            pick = k;
    const std::vector<Cell>& group = groups[pick];
    const Cell c = group[random_() % group.size()];
    click((c.y - 1) * kBoardSize + c.x - 1);
    return !record_;
}

void GamePlayer::play(const std::function<bool()>& done, int actions) {
    for (int k = 0; k < actions && act(); ++k)
        if (done && done()) return;
}

void GamePlayer::runOutTheClock() {
    for (int k = 0; k < 1000 && !record_ && clockRuns(); ++k)
        tick();
}

}  // namespace qob::test
