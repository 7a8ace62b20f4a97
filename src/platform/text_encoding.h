// Shift-JIS (code page 932) conversions where the game's text meets the host.
#pragma once

#include <string>
#include <string_view>

namespace plat {

// Empty string when the input cannot be converted.
std::string SjisToUtf8(std::string_view sjis);
std::string Utf8ToSjis(std::string_view utf8);

}  // namespace plat
