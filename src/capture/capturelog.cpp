#include "capture/capturelog.h"

Q_LOGGING_CATEGORY(lcCapture, "pastebasket.capture", QtWarningMsg)
