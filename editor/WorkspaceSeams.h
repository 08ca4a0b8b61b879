#pragma once
// What the main window's workspace uses to make working copies and to decode sources, as seams the
// program fills in: a copy of a WAV into its working file that reports its end later from the event
// loop, and a decoder that takes WAV files only.

#include "editor/Workspace.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <set>

class WorkspaceCopier {
public:
    // id: the job's id; result: 0, or the copy's code (common/Util.h CopyFileWithProgress).
    using Ended = std::function<void(uint64_t id, int result)>;

    virtual ~WorkspaceCopier();
    // Starts copying source over target; ended is called from the event loop afterwards, once,
    // unless the copy was cancelled first. Returns the job's id, never 0 (ids are not reused).
    virtual uint64_t start(const QString& source, const QString& target, Ended ended) = 0;
    // Stops the copy: its end is not reported.
    virtual void cancel(uint64_t id) = 0;
};

// Copies at once on the calling thread and reports the end from the event loop.
class ImmediateWorkspaceCopier : public WorkspaceCopier {
public:
    uint64_t start(const QString& source, const QString& target, Ended ended) override;
    void cancel(uint64_t id) override;

private:
    QObject m_context;
    uint64_t m_lastId = 0;
    std::set<uint64_t> m_cancelled; // until their end comes from the event loop
};

// Reads WAV files only: a compressed source cannot be converted (229, the missing component).
class WaveOnlyDecoder : public SourceDecoder {
public:
    int64_t bitsPerSecond(const QString& source, SourceKind kind) override;
    int convert(const QString& source, SourceKind kind, const QString& target) override;
};
