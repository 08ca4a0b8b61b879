#pragma once
// Log category of controls/. Failures that no window shows still reach the log (stderr).
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcControls)
