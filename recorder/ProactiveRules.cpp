#include "recorder/ProactiveRules.h"

#include "recorder/Log.h"

#include <QFileInfo>

#include <algorithm>

namespace recorder {

WelcomeRoad roadForKey(int key)
{
    switch (key) {
    case Qt::Key_R:
        return WelcomeRoad::RecordNew;
    case Qt::Key_O:
        return WelcomeRoad::OpenExisting;
    case Qt::Key_A:
        return WelcomeRoad::FromAudioFile;
    default:
        return WelcomeRoad::None;
    }
}

namespace {

// Open dialogs of these roads: the file must exist. The chosen file is only read (the recorder
// works on copies), so a read-only file is as good as any.
platform::FileDialogRequest openRequest(const QString& title, const QString& filter)
{
    platform::FileDialogRequest request;
    request.title = title;
    request.filter = filter;
    request.fileMustExist = true;
    return request;
}

} // namespace

platform::FileDialogRequest audioFileRequest()
{
    return openRequest(QStringLiteral("Select Audio File"),
                       QStringLiteral("MP3 Files (*.mp3)|*.mp3|Wave Files (*.wav)|*.wav|WMA Files (*.WMA)|*.wma"));
}

platform::FileDialogRequest podcastFileRequest()
{
    return openRequest(QStringLiteral("Select Podcast File"),
                       QStringLiteral("PDI Files (*.pdi) | *.pdi|XML Files (*.xml) | *.XML"));
}

QPoint centredTopLeft(const QRect& available, const QSize& frameSize)
{
    // A window larger than the area keeps its title bar on the screen.
    return {available.x() + std::max(0, (available.width() - frameSize.width()) / 2),
            available.y() + std::max(0, (available.height() - frameSize.height()) / 2)};
}

QString chosenAudioFile(const platform::ArgumentBlock& block)
{
    QString chosen;
    const int read = int(std::min<uint32_t>(block.count(), 1));
    for (int i = 0; i < read; ++i) {
        const QString path = block.slot(i);
        if (!path.isEmpty() && QFileInfo(path).isFile())
            chosen = path;
        else if (!path.isEmpty())
            qCInfo(lcRecorder).noquote() << "the handed-over file does not exist:" << path;
    }
    return chosen;
}

} // namespace recorder
