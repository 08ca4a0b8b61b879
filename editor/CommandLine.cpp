#include "editor/CommandLine.h"

#include <QDir>

#include <algorithm>

TrackRole EditorCommandLine::role() const
{
    if (musicTrack)
        return TrackRole::Music;
    if (voiceTrack)
        return TrackRole::Voice;
    return TrackRole::Normal;
}

namespace {

bool isBurn(const QString& argument)
{
    return argument.compare(QLatin1String(kBurnSwitch), Qt::CaseInsensitive) == 0;
}

} // namespace

bool isEditorSwitch(const QString& argument)
{
    for (const char* word : {kNoSplashSwitch, kMusicTrackSwitch, kVoiceTrackSwitch, kNormalTrackSwitch, kUnsavedSwitch})
        if (argument == QLatin1String(word))
            return true;
    return isBurn(argument);
}

EditorCommandLine readCommandLine(const QStringList& arguments)
{
    EditorCommandLine line;
    for (const QString& argument : arguments) {
        if (argument.isEmpty())
            continue;
        if (argument == QLatin1String(kMusicTrackSwitch))
            line.musicTrack = true;
        else if (argument == QLatin1String(kVoiceTrackSwitch))
            line.voiceTrack = true;
        else if (argument == QLatin1String(kNormalTrackSwitch))
            line.normalTrack = true;
        else if (argument == QLatin1String(kUnsavedSwitch))
            line.unsaved = true;
        else if (!isEditorSwitch(argument))
            line.files << argument;
    }
    line.burn = !arguments.isEmpty() && isBurn(arguments.first());
    if (line.burn)
        line.files.clear();
    return line;
}

EditorCommandLine readArgumentBlock(const platform::ArgumentBlock& block)
{
    if (block.count() == 0)
        return {};
    const int last = std::min<int>(int(block.count()), platform::kArgumentSlotCount - 1);
    QStringList arguments;
    for (int i = 0; i <= last; ++i)
        arguments << block.slot(i);
    return readCommandLine(arguments);
}

QStringList absoluteArguments(const QStringList& arguments, const QString& workingFolder)
{
    QStringList result;
    const QDir folder(workingFolder);
    for (const QString& argument : arguments)
        result << (argument.isEmpty() || isEditorSwitch(argument) ? argument
                                                                  : QDir::cleanPath(folder.absoluteFilePath(argument)));
    return result;
}
