#pragma once
// The welcome window's rules without its widgets: which road a key starts, the file dialogs of the
// two builder roads, where the window is placed, and which file a received hand-over block names.

#include "platform/messaging/ArgumentBlock.h"
#include "platform/ui/Interaction.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

namespace recorder {

enum class WelcomeRoad {
    None,
    RecordNew,       // the recording window
    OpenExisting,    // the podcast builder on a saved project or feed
    FromAudioFile,   // the podcast builder on a new podcast with an audio file
};

// R, O and A (any case, any modifier); every other key starts nothing.
WelcomeRoad roadForKey(int key);

// "Select Audio File": MP3, Wave and WMA files.
platform::FileDialogRequest audioFileRequest();
// "Select Podcast File": projects (.pdi) and feeds (.xml).
platform::FileDialogRequest podcastFileRequest();

// The top-left corner that centres a window of frameSize on the available area (integer halves);
// never above or left of the area.
QPoint centredTopLeft(const QRect& available, const QSize& frameSize);

// The last of the block's slots that names an existing file; empty when none does. The recorder
// sends one argument, so only the first slot is read whatever count the block claims.
QString chosenAudioFile(const platform::ArgumentBlock& block);

} // namespace recorder
