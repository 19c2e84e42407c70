#pragma once

#include <functional>

class QUrl;

// Opens a web address or a local file in the program the desktop has for it;
// false when none could be started. Tests hand in their own opener instead.
using UrlOpener = std::function<bool(const QUrl &url)>;

// The desktop's opener.
bool openWithDesktop(const QUrl &url);
