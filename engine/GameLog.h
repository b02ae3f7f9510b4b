#pragma once
// The log of one game: what the player did that the rules took (accepted clicks, ring
// rotations, reshuffles, clock ticks) and every random outcome that shaped the board,
// in the order they happened. A replay through the rules gives the game again.
//
// The text uses only A-Z a-z 0-9 - _, which an address carries unchanged:
//   click on tile image i (0..48)   the symbol of value i: A..Z for 0..25, a..w for 26..48
//   外边转动 (ring rotation)         x
//   内盘重组 (inner reshuffle)       y
//   a tick of the level clock       z
//   a board's identifier            four symbols, its value 1..999999 in base 64, highest first
//   a refill tile that entered      its digit, 1..7
//   a partner of the reshuffle      the symbol of value r - 1 for r = 1..25: A..Y
// Symbol values run A..Z = 0..25, a..z = 26..51, 0..9 = 52..61, "-" = 62, "_" = 63.
// The outcomes follow the step that drew them; which kind comes next is known from the
// rules, so they need no mark of their own.

#include <cstddef>
#include <string>

namespace qob {

// A random outcome of the rules.
enum class Draw {
    GameID,   // the identifier of a board dealt (each deal of a new game or level)
    Tile,     // a new tile that entered the board at a refill
    Shuffle,  // a partner drawn by the inner reshuffle
};

inline constexpr char kLogRotation = 'x';
inline constexpr char kLogReshuffle = 'y';
inline constexpr char kLogTick = 'z';
inline constexpr int kGameIDSymbols = 4;
inline constexpr int kLargestGameID = 999999;
inline constexpr int kShufflePlaces = 25;

// The longest log a game keeps; a game that outgrows it has no log.
inline constexpr std::size_t kGameLogLimit = 64 * 1024;

// The symbol of a value 0..63, and the value of a symbol (-1 for any other character).
char logSymbol(int value);
int logSymbolValue(char symbol);

class GameLog {
  public:
    // A new game: the log starts empty and follows the game from here on.
    void start();
    // The game no longer follows from its log (a progress file replaced it): nothing is
    // kept until the next start.
    void drop();
    // Whether the log holds the whole game since its start.
    bool intact() const { return intact_; }
    const std::string& text() const { return text_; }

    void click(int imageNum);
    void rotation();
    void reshuffle();
    void tick();
    // value: the outcome as the rules use it ("1".."999999", "1".."7", "1".."25").
    void outcome(Draw draw, const std::string& value);

  private:
    void append(const char* symbols, std::size_t count);

    std::string text_;
    bool intact_ = false;
};

}  // namespace qob
