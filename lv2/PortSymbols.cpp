#include "lv2/PortSymbols.h"

#include <algorithm>
#include <set>

namespace tarn::lv2door {

namespace {

std::string symbolOf(const std::string &name) {
    std::string s;
    for (char ch : name) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
            s += static_cast<char>(c);
        } else if (c >= 'A' && c <= 'Z') {
            s += static_cast<char>(c - 'A' + 'a');
        } else if (!s.empty() && s.back() != '_') {
            s += '_';
        }
    }
    while (!s.empty() && s.back() == '_') s.pop_back();
    if (s.empty()) s = "param";
    if (s[0] >= '0' && s[0] <= '9') s.insert(s.begin(), '_');
    return s;
}

}  // namespace

std::vector<std::string> portSymbols(const std::vector<std::string> &names, const std::vector<std::string> &taken) {
    std::set<std::string> used(taken.begin(), taken.end());
    std::vector<std::string> out;
    out.reserve(names.size());
    for (const std::string &name : names) {
        const std::string base = symbolOf(name);
        std::string s = base;
        for (int n = 2; used.count(s); ++n) s = base + "_" + std::to_string(n);
        used.insert(s);
        out.push_back(s);
    }
    return out;
}

}  // namespace tarn::lv2door
