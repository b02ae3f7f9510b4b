#include "GameWindow.h"

#include <algorithm>

namespace qob {

std::string programPath(const GameWindow& window, const std::string& relative) {
    std::string tail = relative;
#ifndef _WIN32
    std::replace(tail.begin(), tail.end(), '\\', '/');
#endif
    return window.programFolder() + tail;
}

}  // namespace qob
