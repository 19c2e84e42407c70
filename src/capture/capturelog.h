#pragma once

#include <QLoggingCategory>

// What the capture does, for tests and for users who want to see why a text was
// or was not taken in. Off below warnings unless QT_LOGGING_RULES turns it on
// ("pastebasket.capture.info=true").
Q_DECLARE_LOGGING_CATEGORY(lcCapture)
