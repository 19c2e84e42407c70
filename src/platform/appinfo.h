#pragma once

#include <QStringView>

// The program's name, version and the maker's addresses, in one place.
namespace AppInfo {
inline constexpr QStringView kName = u"Pastebasket";
inline constexpr QStringView kVersion = u"1.1.0";
inline constexpr QStringView kMaker = u"Orvendel Software";
inline constexpr QStringView kWebUrl = u"https://orvendel.example.org/pastebasket/";
inline constexpr QStringView kHelpUrl = u"https://orvendel.example.org/pastebasket/help.html";
inline constexpr QStringView kEmail = u"pastebasket@orvendel.example.org";
} // namespace AppInfo
