#include "controls/Log.h"

Q_LOGGING_CATEGORY(lcControls, "va.controls")
