#include "GameLogReader.h"

namespace qob {

GameLogReader::GameLogReader(std::string_view text) : text_(text) {}

void GameLogReader::fail(Error error, std::optional<Draw> need) {
    if (error_ != Error::None) return;
    error_ = error;
    errorAt_ = at_;
    errorNeed_ = need;
}

std::optional<GameLogReader::Step> GameLogReader::nextStep() {
    if (error_ != Error::None || atEnd()) return std::nullopt;
    stepAt_ = at_;
    const char symbol = text_[at_];
    const int value = logSymbolValue(symbol);
    Step step{Action::Click};
    if (value >= 0 && value <= 48)
        step.imageNum = value;
    else if (symbol == kLogRotation)
        step.action = Action::Rotation;
    else if (symbol == kLogReshuffle)
        step.action = Action::Reshuffle;
    else if (symbol == kLogTick)
        step.action = Action::Tick;
    else {
        fail(Error::Unexpected, std::nullopt);
        return std::nullopt;
    }
    ++at_;
    return step;
}

std::string GameLogReader::take(Draw draw, const std::string& drawn) {
    if (stopped_ || error_ != Error::None) return drawn;
    const std::size_t need = draw == Draw::GameID ? kGameIDSymbols : 1;
    if (text_.size() - at_ < need) {
        fail(Error::Missing, draw);
        return drawn;
    }
    int value = -1;
    switch (draw) {
        case Draw::GameID: {
            int id = 0;
            for (std::size_t k = 0; k < need && id >= 0; ++k) {
                const int v = logSymbolValue(text_[at_ + k]);
                id = v < 0 ? -1 : id * 64 + v;
            }
            if (id >= 1 && id <= kLargestGameID) value = id;
            break;
        }
        case Draw::Tile:
            if (text_[at_] >= '1' && text_[at_] <= '7') value = text_[at_] - '0';
            break;
        case Draw::Shuffle: {
            const int v = logSymbolValue(text_[at_]);
            if (v >= 0 && v < kShufflePlaces) value = v + 1;
            break;
        }
    }
    if (value < 0) {
        fail(Error::Unexpected, draw);
        return drawn;
    }
    at_ += need;
    return std::to_string(value);
}

}  // namespace qob
