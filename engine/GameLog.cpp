#include "GameLog.h"

#include "TextForms.h"

namespace qob {

namespace {

constexpr char kSymbols[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

}  // namespace

char logSymbol(int value) {
    return kSymbols[value & 63];
}

int logSymbolValue(char symbol) {
    if (symbol >= 'A' && symbol <= 'Z') return symbol - 'A';
    if (symbol >= 'a' && symbol <= 'z') return symbol - 'a' + 26;
    if (symbol >= '0' && symbol <= '9') return symbol - '0' + 52;
    if (symbol == '-') return 62;
    if (symbol == '_') return 63;
    return -1;
}

void GameLog::start() {
    text_.clear();
    intact_ = true;
}

void GameLog::drop() {
    std::string().swap(text_);
    intact_ = false;
}

void GameLog::append(const char* symbols, std::size_t count) {
    if (!intact_) return;
    if (text_.size() + count > kGameLogLimit) {
        drop();
        return;
    }
    text_.append(symbols, count);
}

void GameLog::click(int imageNum) {
    const char symbol = logSymbol(imageNum);
    if (imageNum >= 0 && imageNum <= 48)
        append(&symbol, 1);
    else
        drop();
}

void GameLog::rotation() {
    append(&kLogRotation, 1);
}

void GameLog::reshuffle() {
    append(&kLogReshuffle, 1);
}

void GameLog::tick() {
    append(&kLogTick, 1);
}

void GameLog::outcome(Draw draw, const std::string& value) {
    const int n = parseInt32(value).value_or(0);
    char symbols[kGameIDSymbols];
    switch (draw) {
        case Draw::GameID:
            if (n < 1 || n > kLargestGameID) break;
            for (int k = 0; k < kGameIDSymbols; ++k)
                symbols[k] = logSymbol(n >> (6 * (kGameIDSymbols - 1 - k)));
            return append(symbols, kGameIDSymbols);
        case Draw::Tile:
            if (n < 1 || n > 7) break;
            symbols[0] = static_cast<char>('0' + n);
            return append(symbols, 1);
        case Draw::Shuffle:
            if (n < 1 || n > kShufflePlaces) break;
            symbols[0] = logSymbol(n - 1);
            return append(symbols, 1);
    }
    // An outcome the form cannot hold: the log could not give the game again.
    drop();
}

}  // namespace qob
