#include "PlayedGame.h"

#include <filesystem>
#include <stdexcept>

#include "BoardGroups.h"
#include "BoardText.h"
#include "RecordFileIo.h"
#include "RecordFiles.h"

namespace qob::test {

namespace {

std::string newFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qob-played.XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    return pattern;
}

}  // namespace

PlayedGame::PlayedGame(const std::string& mode, DateTime start, std::uint64_t seed)
    : ticks_(seed * 1000003), game(window, [this] { return ++ticks_; }), folder_(newFolder()) {
    window.folder = folder_;
    window.clock = start;
    window.option = mode == kModeGame ? 0 : mode == kModeSport ? 1 : 2;
    // The window's redraw cuts the cells back to their tile digit.
    window.onShowBoard = [this] {
        for (int y = 1; y <= kBoardSize; ++y)
            for (int x = 1; x <= kBoardSize; ++x)
                takeTileLook(game.state.board[x][y]);
    };
    // The end of a game saves its record before the next game starts.
    window.onRecFileSave = [this] { final_ = save(finalName_); };
    game.NewGame("auto");
}

PlayedGame::~PlayedGame() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

void PlayedGame::advance(int seconds) {
    DateTime& t = window.clock;
    t.second += seconds;
    while (t.second >= 60) {
        t.second -= 60;
        if (++t.minute == 60) {
            t.minute = 0;
            // Games in the tests stay within a day.
            ++t.hour;
        }
    }
}

bool PlayedGame::playOne() {
    // The player's eye: the largest group on the board, by the rule of the move.
    int best = -1;
    std::size_t bestSize = kSmallestGroup - 1;
    for (int i = 0; i < kTileCount; ++i) {
        const std::size_t size =
            groupAt(game.state.board, i % kBoardSize + 1, i / kBoardSize + 1).size();
        if (size > bestSize) {
            bestSize = size;
            best = i;
        }
    }
    if (best < 0) return false;
    game.GameClick(best);
    // The window redraws after every click.
    window.showBoard();
    return true;
}

int PlayedGame::play(int moves) {
    int made = 0;
    for (; made < moves && final_.empty(); ++made) {
        advance(3);
        if (playOne()) continue;
        if (game.state.gameMode != kModeSport || game.state.ringMoves >= kRingUses) break;
        game.Command9_Click();
        --made;
    }
    window.log.clear();
    return made;
}

void PlayedGame::tick(int ticks) {
    for (int k = 0; k < ticks && final_.empty(); ++k) {
        advance((Game::clockInterval(game.state.levelNo) + 999) / 1000);
        game.Timer1_Timer();
    }
    window.log.clear();
}

std::string PlayedGame::save(const std::string& name) {
    RecordFiles files(game.state, window, "http://127.0.0.1");
    const std::string path = folder_ + "/record" + std::to_string(++saved_) + ".rec";
    window.inputs.push_back(name);
    window.files.push_back(path);
    files.RecFileSave();
    return readRecordFile(path).text;
}

}  // namespace qob::test
