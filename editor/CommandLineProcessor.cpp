#include "editor/CommandLineProcessor.h"

#include "editor/Workspace.h"
#include "editor/WorkspaceFiles.h"

#include <QDir>
#include <QFileInfo>

CommandLineHost::~CommandLineHost() = default;

CommandLineProcessor::CommandLineProcessor(CommandLineHost& host)
    : m_host(host)
{
}

bool CommandLineProcessor::receive(const QByteArray& data)
{
    if (m_host.busy() || data.isEmpty())
        return false;
    const platform::ArgumentBlock block = platform::ArgumentBlock::parse(data);
    const bool visible = m_host.mainWindowVisible();
    const EditorCommandLine line = readArgumentBlock(block);
    if (!line.burn && !visible)
        return false;
    post(line);
    if (visible)
        m_host.raiseMainWindow();
    return true;
}

void CommandLineProcessor::post(EditorCommandLine line)
{
    m_waiting.push_back(std::move(line));
    schedule();
}

void CommandLineProcessor::busyEnded()
{
    if (!m_waiting.empty())
        schedule();
}

void CommandLineProcessor::schedule()
{
    QMetaObject::invokeMethod(
        &m_context, [this] { openWaiting(); }, Qt::QueuedConnection);
}

void CommandLineProcessor::openWaiting()
{
    while (!m_waiting.empty() && !m_host.busy()) {
        const EditorCommandLine line = std::move(m_waiting.front());
        m_waiting.pop_front();
        open(line);
    }
}

void CommandLineProcessor::open(const EditorCommandLine& line)
{
    m_host.setBusy(true);
    if (line.musicTrack)
        m_host.enterTrackMode(TrackRole::Music);
    if (line.voiceTrack)
        m_host.enterTrackMode(TrackRole::Voice);
    if (line.normalTrack)
        m_host.enterTrackMode(TrackRole::Normal);
    for (const QString& file : line.files) {
        if (m_host.recording())
            break;
        m_host.setBusy(true);
        m_host.stopPlayback();
        const QString path = QDir::cleanPath(QFileInfo(file).absoluteFilePath());
        const QString suffix = QFileInfo(path).suffix();
        if (suffix.compare(QLatin1String("plst"), Qt::CaseInsensitive) == 0) {
            QString wav;
            const int code = m_host.importWmaPlaylist(path, &wav);
            if (code == kWmaDecoderMissing)
                m_host.offerWmaComponent();
            if (code != 0)
                break;
            m_host.openAsUnsaved(wav);
        } else if (line.unsaved && sourceKindOf(path) != SourceKind::Wma) {
            // A WMA opens as File > Open opens it, decoded into its working file.
            m_host.openAsUnsaved(path);
        } else {
            const int code = m_host.openFile(path, line.role());
            if (code == kMp3NotConvertible)
                m_host.offerMp3Component();
            if (code == kNoTempSpace)
                break;
        }
    }
    m_host.setBusy(m_host.recording());
}
