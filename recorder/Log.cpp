#include "recorder/Log.h"

Q_LOGGING_CATEGORY(lcRecorder, "va.recorder")
