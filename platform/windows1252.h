#pragma once

#include <QString>

#include <string>
#include <string_view>

// The tag objects hold Windows-1252 bytes; the windows show Unicode.
QString FromWindows1252(std::string_view bytes);
// A character with no Windows-1252 byte becomes '?'.
std::string ToWindows1252(const QString &text);
