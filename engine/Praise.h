#pragma once

#include <string>

namespace qob {

// The words of praise for a removed group of n tiles (3..50); empty otherwise.
const std::string& praiseFor(int n);

}  // namespace qob
