#pragma once

#include <QLoggingCategory>

// The desktop-wide key: what was grabbed or bound, and why it could not be.
Q_DECLARE_LOGGING_CATEGORY(lcShortcut)
