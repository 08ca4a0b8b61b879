#include "editor/WorkspaceSeams.h"

#include "common/Util.h"

#include <atomic>

WorkspaceCopier::~WorkspaceCopier() = default;

uint64_t ImmediateWorkspaceCopier::start(const QString& source, const QString& target, Ended ended)
{
    const uint64_t id = ++m_lastId;
    std::atomic<int32_t> percent{0};
    const std::atomic<int32_t> keepGoing{1}; // the copy runs while this holds 1
    const int result = CopyFileWithProgress(source, target, percent, keepGoing);
    QMetaObject::invokeMethod(
        &m_context,
        [this, id, result, ended = std::move(ended)] {
            if (m_cancelled.erase(id) == 0)
                ended(id, result);
        },
        Qt::QueuedConnection);
    return id;
}

void ImmediateWorkspaceCopier::cancel(uint64_t id)
{
    if (id != 0 && id <= m_lastId)
        m_cancelled.insert(id);
}

int64_t WaveOnlyDecoder::bitsPerSecond(const QString&, SourceKind)
{
    return 0;
}

int WaveOnlyDecoder::convert(const QString&, SourceKind, const QString&)
{
    return kMp3NotConvertible;
}
