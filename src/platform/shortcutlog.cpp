#include "platform/shortcutlog.h"

Q_LOGGING_CATEGORY(lcShortcut, "pastebasket.shortcut", QtWarningMsg)
