#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "DrawSource.h"
#include "GameState.h"
#include "GameWindow.h"
#include "Rng.h"

namespace qob {

inline constexpr int kLimRounds = 180;  // accepted moves of a "lim" game
inline constexpr int kRingUses = 10;    // ring rotations and reshuffles a level

// The rules of the game: every procedure that changes the game state. The game
// talks to its window only through GameWindow.
class Game {
  public:
    Game(GameWindow& window, Rng::Clock rngClock);

    GameState state;

    // Random draws.
    std::string getGameID();
    std::string getDice(double rndnum);
    std::string getRndDice(int N);

    // A new game ("box" asks first, "boxok" tells first, anything else starts
    // silently) and the next level of a "sport" game.
    void NewGame(const std::string& sType);
    void NewZone();

    // One click on tile image ImageNum (0..48, row by row from the top left).
    void GameClick(int ImageNum);
    // Takes the equal neighbours of (dxx, dyy) into the group lists.
    void SearchDragon(int dxx, int dyy, const std::string& dice);
    // Lets the touched columns fall and refills them from the top.
    void UpdateBoard();
    void MakeGQuick(int Col, const std::string& gameStep);

    // One tick of the level clock.
    void Timer1_Timer();
    // Turns the outer ring a quarter turn clockwise.
    void Command8_Click();
    // Shuffles the inner 5 x 5 square.
    void Command9_Click();

    // The steps of an accepted move after the click sound: the points, counters and
    // message line; then the mode's goal, which returns false when the move ended
    // the level or the game (the new board has then replaced the tiles).
    void scoreMove();
    bool progressMove();

    // A replay: the random outcomes come from source instead of the generator (nothing:
    // from the generator again). The source must outlive its use.
    void replayDraws(DrawSource* source) { draws_ = source; }

    // Deals a new board from the identifier id: cell (x, y) from the seed
    // id + 7 * (y - 1) + x.
    void fillBoard(const std::string& id);

    // The arithmetic of the rules, for the moves and for whoever checks a record.
    // Tick interval of the level clock at a level, in milliseconds.
    static int clockInterval(int levelNo);
    // Bonus for reaching a level.
    static int levelBonus(int levelNo);
    // Points of a group of n tiles in a mode; nothing where no formula applies
    // ("game" below five tiles, an unknown mode).
    static std::optional<std::int64_t> movePoints(std::string_view mode, int n);
    // Bonus points of a group of n tiles ("game" from five tiles on).
    static std::int64_t moveBonus(std::string_view mode, int n);
    // What a group of n tiles adds to levelProgress at a level of a "sport" game.
    static double levelGain(int levelNo, int n);

  private:
    void countRingMove();
    // Every random outcome that shapes the game passes here: it goes into the game's
    // log, and in a replay the source's outcome takes the place of the drawn one.
    std::string outcome(Draw draw, std::string drawn);
    // The board of a new game or level: a deal without a move is dealt again from a
    // new identifier before anyone sees it.
    void dealBoard();
    // After the board changed (onScreen: the window shows it already; hadMove: the
    // board before the change had a move): a board without a move ends a "game" or
    // "lim" game; in "sport" it points the player to the ring buttons while they have
    // uses left, and ends the game once they have none.
    void meetDeadBoard(bool onScreen, bool hadMove);
    // The end of a "game" or "lim" game on the board as it stands: the state stops
    // and the final board is drawn, then finishGame.
    void endOnBoard(const std::string& message);
    // Tells the player the game is over, offers to save its record and starts and
    // draws a new game. Clock ticks that come while its boxes are open do nothing.
    void finishGame(const std::string& message, MsgIcon icon);

    GameWindow& window_;
    Rng rng_;
    DrawSource* draws_ = nullptr;
    bool gameOverRunning_ = false;
};

}  // namespace qob
