#include "GameReplay.h"

#include <cstdint>

#include "BoardGroups.h"
#include "Game.h"
#include "GameLogReader.h"
#include "ReplayWindow.h"

namespace qob {

namespace {

int modeOption(std::string_view gameMode) {
    if (gameMode == kModeGame) return 0;
    if (gameMode == kModeSport) return 1;
    if (gameMode == kModeLim) return 2;
    return -1;
}

}  // namespace

ReplayResult replayGame(std::string_view gameMode, std::string_view log) {
    ReplayResult result;
    const int option = modeOption(gameMode);
    if (option < 0 || log.size() > kGameLogLimit) {
        result.fault = option < 0 ? ReplayFault::UnknownMode : ReplayFault::TooLong;
        return result;
    }

    GameLogReader reader(log);
    ReplayWindow window(option);
    std::uint64_t clock = 0;
    Game game(window, [&clock] { return ++clock; });
    window.show(game.state);
    // From the record on, the new game the rules start is none of the log's business.
    window.onRecord = [&reader] { reader.stop(); };
    game.replayDraws(&reader);

    // As the window does: a new game when it opens, and a redraw after every click.
    game.NewGame("auto");
    window.showBoard();
    auto refuse = [&](ReplayFault fault) {
        result.fault = fault;
        result.step = result.steps;
        result.at = reader.stepAt();
    };
    while (result.fault == ReplayFault::None && !window.record()) {
        const std::optional<GameLogReader::Step> step = reader.nextStep();
        if (!step) break;
        ++result.steps;
        switch (step->action) {
            case GameLogReader::Action::Click:
                game.GameClick(step->imageNum);
                window.showBoard();
                if (game.state.groupSize < kSmallestGroup) refuse(ReplayFault::ClickRefused);
                break;
            case GameLogReader::Action::Rotation:
            case GameLogReader::Action::Reshuffle:
                if (!window.ringButtonsEnabled()) {
                    refuse(ReplayFault::RingUnavailable);
                } else if (step->action == GameLogReader::Action::Rotation) {
                    game.Command8_Click();
                } else {
                    game.Command9_Click();
                }
                break;
            case GameLogReader::Action::Tick:
                if (window.clockTicks())
                    game.Timer1_Timer();
                else
                    refuse(ReplayFault::ClockStands);
                break;
        }
    }

    if (reader.error() != GameLogReader::Error::None) {
        result.fault = reader.error() == GameLogReader::Error::Missing ? ReplayFault::Missing
                                                                       : ReplayFault::Unexpected;
        result.at = reader.errorAt();
        result.need = reader.errorNeed();
        // Without an outcome needed, the fault is where the next step should begin.
        result.step = result.need ? result.steps : result.steps + 1;
    } else if (result.fault == ReplayFault::None && window.record() && !reader.atEnd()) {
        result.fault = ReplayFault::AfterEnd;
        result.step = result.steps;
        result.at = reader.at();
    }
    result.ended = window.record().has_value();
    result.state = result.ended ? *window.record() : game.state;
    return result;
}

}  // namespace qob
