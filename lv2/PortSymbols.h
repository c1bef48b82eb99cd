// LV2 port symbols from the parameters' names: readable, valid as C
// identifiers, and unique within the plug-in.
#pragma once

#include <string>
#include <vector>

namespace tarn::lv2door {

// One symbol per name, in order; names that come out alike get _2, _3...
// and none collides with the symbols already taken.
std::vector<std::string> portSymbols(const std::vector<std::string> &names, const std::vector<std::string> &taken);

}  // namespace tarn::lv2door
