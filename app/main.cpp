#include <cstdio>

int main() {
    std::puts("霁虹珠台 QOB: the game's window is not built yet; the rules and the tests are.");
    return 0;
}
