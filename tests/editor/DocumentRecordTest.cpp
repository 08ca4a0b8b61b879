#include "editor/DocumentRecord.h"

#include <gtest/gtest.h>

TEST(DocumentRecord, WaveFormatIsRebuiltFromTheFileInformation)
{
    struct Case {
        FileInformation info;
        uint16_t blockAlign;
        uint32_t avgBytesPerSec;
    };
    const Case cases[] = {
        {{16, 2, 1000, 44100}, 4, 176400},
        {{8, 1, 0, 8000}, 1, 8000},
        {{24, 2, 5, 96000}, 6, 576000},
        {{32, 6, 5, 48000}, 24, 1152000},
        {{0, 0, 0, 0}, 0, 0}, // a record just made: no division, no garbage
    };
    for (const Case& c : cases) {
        TDocumentRecord document;
        document.waveFormat.extraSize = 22; // left from an earlier format
        document.info = c.info;
        document.rebuildWaveFormat();
        SCOPED_TRACE(c.info.samplesPerSec);
        EXPECT_EQ(document.waveFormat.formatTag, WAVE_FORMAT_PCM);
        EXPECT_EQ(document.waveFormat.channels, c.info.channels);
        EXPECT_EQ(document.waveFormat.samplesPerSec, c.info.samplesPerSec);
        EXPECT_EQ(document.waveFormat.bitsPerSample, c.info.bitsPerSample);
        EXPECT_EQ(document.waveFormat.blockAlign, c.blockAlign);
        EXPECT_EQ(document.waveFormat.avgBytesPerSec, c.avgBytesPerSec);
        EXPECT_EQ(document.waveFormat.extraSize, 0);
    }
}

TEST(DocumentRecord, OnlyATitledDocumentWithoutWorkingCopyIsReadOnly)
{
    struct Case {
        WorkspaceState workspace;
        SaveState save;
        bool readOnly;
        bool ready;
    };
    const Case cases[] = {
        {WorkspaceState::ReadOnly, SaveState::Unchanged, true, false},
        {WorkspaceState::ReadOnly, SaveState::Modified, true, false},
        {WorkspaceState::ReadOnly, SaveState::Untitled, false, false},
        {WorkspaceState::Copying, SaveState::Unchanged, false, false},
        {WorkspaceState::Ready, SaveState::Unchanged, false, true},
        {WorkspaceState::Ready, SaveState::Untitled, false, true},
    };
    for (const Case& c : cases) {
        TDocumentRecord document;
        document.workspaceState = c.workspace;
        document.saveState = c.save;
        SCOPED_TRACE(int(c.workspace) * 10 + int(c.save));
        EXPECT_EQ(document.isReadOnly(), c.readOnly);
        EXPECT_EQ(document.isWorkspaceReady(), c.ready);
    }
}
