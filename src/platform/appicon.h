#pragma once

#include <QIcon>

// The program icon in every size it is drawn in (16 to 256 pixels), for the
// main window, the tray, the splash and the about box. The pictures are compiled
// into the program, so a portable copy shows them without any installed theme.
QIcon appIcon();

// The pixel sizes appIcon() holds, smallest first.
inline constexpr int kAppIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
