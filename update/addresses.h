#pragma once

// Where the program's author and its version server are found.
namespace Addresses {
inline constexpr char WebPage[] = "http://www.carvento.example/";
inline constexpr char Mail[] = "carvento@carvento.example";
inline constexpr char VersionFile[] = "http://www.carvento.example/versiones/carventoutilities.txt";
} // namespace Addresses
