#include "common/Log.h"

Q_LOGGING_CATEGORY(lcCommon, "va.common")
