#pragma once
// How the save and mix-down roads ask the user for a file's song information: the dialog is shown on
// the record, and the answer is true when the user confirmed it (the record then holds the new text).
#include "platform/codecs/SongInfo.h"

#include <functional>

namespace recorder {

using AskSongInformationFn = std::function<bool(TID3InfoRecord& info)>;

} // namespace recorder
