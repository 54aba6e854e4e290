#pragma once

#include <QString>

#include <cstdint>

// A version as the check compares it: the release part takes no part.
struct CheckedVersion {
    std::uint16_t Major = 0;
    std::uint16_t Minor = 0;
    std::uint16_t Build = 0;
};

// The four numbers of a program version: major.minor.release.build.
struct FileVersion {
    std::uint16_t Major = 0;
    std::uint16_t Minor = 0;
    std::uint16_t Release = 0;
    std::uint16_t Build = 0;
};

// The running program's version, as project() in CMakeLists.txt names it (1.0.0.2).
FileVersion ProgramVersion();
// "1.0.0.2": the four numbers with dots, as the package names the version.
QString VersionNumbers(const FileVersion &version);
CheckedVersion CheckedVersionOf(const FileVersion &version);

// An optional sign and one or more decimal digits within 32 bits, nothing else (no blanks).
bool ParseWholeNumber(const QString &text, std::int32_t &value);

// The server's version text: everything from the first "F" on is ignored; before it stand
// three whole numbers separated by ".", each kept as its lowest 16 bits. False, and the
// result left at 0.0.0, when the text is not of that form.
bool ParseVersionText(const QString &text, CheckedVersion &version);

// True when the server names a later version than the running one.
bool IsNewerVersion(const CheckedVersion &server, const CheckedVersion &running);
