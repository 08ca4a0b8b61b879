#include "platform/base/Log.h"

Q_LOGGING_CATEGORY(lcPlatform, "va.platform")
