#pragma once

#include <QString>

#include <string>
#include <string_view>

// Text in Windows-1252, as old Windows editors wrote lists of names: every byte has its
// character, the five undefined ones their control characters.
QString FromWindows1252(std::string_view bytes);
