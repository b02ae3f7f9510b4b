#pragma once

#include <string>

#include "GameLog.h"

namespace qob {

// Where a replay takes the random outcomes of the rules from: each outcome the rules
// draw is handed over, and the source answers the outcome to use in its place.
class DrawSource {
  public:
    virtual ~DrawSource() = default;
    virtual std::string take(Draw draw, const std::string& drawn) = 0;
};

}  // namespace qob
