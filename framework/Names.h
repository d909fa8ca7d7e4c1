#pragma once
// Names of pictures, sounds and files are compared without regard to case.
#include <algorithm>
#include <cctype>
#include <string_view>

namespace tibo {

inline bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace tibo
