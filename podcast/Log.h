#pragma once
// Log category of podcast/. Failures that no window shows still reach the log (stderr).
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcPodcast)
