#include "editor/DocumentRecord.h"

void TDocumentRecord::rebuildWaveFormat()
{
    waveFormat = makePcmFormat(info.samplesPerSec, info.bitsPerSample, info.channels);
}

bool TDocumentRecord::isReadOnly() const
{
    return workspaceState == WorkspaceState::ReadOnly && saveState != SaveState::Untitled;
}
