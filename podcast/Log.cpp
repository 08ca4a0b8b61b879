#include "podcast/Log.h"

Q_LOGGING_CATEGORY(lcPodcast, "va.podcast")
