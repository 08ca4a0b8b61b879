#include "editor/DocumentList.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>

namespace {

std::unique_ptr<TDocumentRecord> documentFor(const QString& file)
{
    auto document = std::make_unique<TDocumentRecord>();
    document->documentFile = file;
    return document;
}

} // namespace

TEST(DocumentList, IdsAreTheSmallestFreeOnesNotBelowTheCount)
{
    // Documents made in order, then some closed (by index), then one more made: its id.
    struct Case {
        int made;
        std::vector<int> closed;
        int32_t nextId;
    };
    const Case cases[] = {
        {0, {}, 0},
        {1, {}, 1},
        {3, {}, 3},
        {3, {0}, 3},    // ids 1, 2 left: 2 is the count but taken, so 3
        {3, {2}, 2},    // ids 0, 1 left: 2 is free again
        {3, {1, 0}, 1}, // id 2 left: count 1, id 1 free
        {2, {0, 0}, 0},
    };
    for (const Case& c : cases) {
        DocumentList list;
        for (int i = 0; i < c.made; ++i)
            list.append(documentFor(QStringLiteral("/a/%1.wav").arg(i)));
        for (int index : c.closed)
            ASSERT_TRUE(list.takeAt(index));
        SCOPED_TRACE(c.made * 100 + int(c.closed.size()));
        EXPECT_EQ(list.freeId(), c.nextId);
        EXPECT_EQ(list.append(documentFor("/a/new.wav")).id, c.nextId);
        EXPECT_EQ(list.indexOfId(c.nextId), list.lastIndex());
    }
}

TEST(DocumentList, CurrentDocumentFollowsRemovals)
{
    struct Case {
        int current;
        int removed;
        int currentAfter;
    };
    const Case cases[] = {
        {DocumentList::kNoDocument, 1, DocumentList::kNoDocument},
        {0, 2, 0},
        {2, 0, 1},
        {1, 1, DocumentList::kNoDocument},
        {2, 2, DocumentList::kNoDocument},
        {1, 5, 1}, // outside the list: nothing removed
    };
    for (const Case& c : cases) {
        DocumentList list;
        for (int i = 0; i < 3; ++i)
            list.append(documentFor(QStringLiteral("/a/%1.wav").arg(i)));
        if (c.current != DocumentList::kNoDocument) {
            ASSERT_EQ(list.setCurrent(c.current), 0);
        }
        const TDocumentRecord* wasCurrent = list.current();
        const bool removed = bool(list.takeAt(c.removed));
        SCOPED_TRACE(c.current * 10 + c.removed);
        EXPECT_EQ(removed, c.removed < 3);
        EXPECT_EQ(list.count(), removed ? 2 : 3);
        EXPECT_EQ(list.currentIndex(), c.currentAfter);
        if (c.currentAfter != DocumentList::kNoDocument) {
            EXPECT_EQ(list.current(), wasCurrent);
        }
    }
}

TEST(DocumentList, SelectingOutsideTheListIsRefusedWith143)
{
    DocumentList list;
    EXPECT_EQ(list.setCurrent(0), 143);
    list.append(documentFor("/a/a.wav"));
    list.append(documentFor("/a/b.wav"));
    ASSERT_EQ(list.setCurrent(1), 0);
    for (int index : {-1, 2, 1000}) {
        EXPECT_EQ(list.setCurrent(index), 143);
        EXPECT_EQ(list.currentIndex(), 1);
    }
    list.restoreCurrent(7);
    EXPECT_EQ(list.current(), nullptr);
    list.restoreCurrent(0);
    EXPECT_EQ(list.currentIndex(), 0);
    EXPECT_EQ(list.at(-1), nullptr);
    EXPECT_EQ(list.at(2), nullptr);
}

TEST(DocumentList, DocumentsAreFoundByTheirFileAsLinuxNamesThem)
{
    const QString folder = testsupport::testFolder();
    const QString spaced = folder + "/my takes/Take One.wav";
    const QString accented = folder + "/Aufnahme über Ü — 日本.wav";
    DocumentList list;
    list.append(documentFor(spaced));
    list.append(documentFor(accented));
    list.append(documentFor("/a/Untitled1.wav"));

    struct Case {
        QString path;
        int index;
    };
    const Case cases[] = {
        {spaced, 0},
        {folder + "/my takes/../my takes/./Take One.wav", 0},
        {folder + "//my takes/Take One.wav", 0},
        {folder + "/my takes/take one.wav", DocumentList::kNoDocument}, // another file on Linux
        {folder + "/my takes/Take One.WAV", DocumentList::kNoDocument},
        {accented, 1},
        {folder + "/Aufnahme uber U — 日本.wav", DocumentList::kNoDocument},
        {"/a/Untitled1.wav", 2},
        {"", DocumentList::kNoDocument},
        {"/a", DocumentList::kNoDocument},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_EQ(list.indexOfFile(c.path), c.index);
    }
    // A relative path names the file of the working folder.
    ASSERT_TRUE(QDir::setCurrent(folder));
    EXPECT_EQ(list.indexOfFile("my takes/Take One.wav"), 0);
}

TEST(DocumentList, CopyJobsFindTheirDocument)
{
    DocumentList list;
    list.append(documentFor("/a/a.wav")).copyJobId = 7;
    list.append(documentFor("/a/b.wav"));
    EXPECT_EQ(list.indexOfCopyJob(7), 0);
    EXPECT_EQ(list.indexOfCopyJob(8), DocumentList::kNoDocument);
    // A document without a copy job answers to no job, not to the id 0.
    EXPECT_EQ(list.indexOfCopyJob(0), DocumentList::kNoDocument);
}

TEST(DocumentList, UntitledNamesCountUpAndAreNotReused)
{
    DocumentList list;
    EXPECT_EQ(list.nextUntitledName(), "Untitled1.wav");
    list.countUntitled();
    EXPECT_EQ(list.nextUntitledName(), "Untitled2.wav");
    list.append(documentFor(list.nextUntitledName()));
    list.countUntitled();
    ASSERT_TRUE(list.takeAt(0));
    EXPECT_EQ(list.nextUntitledName(), "Untitled3.wav");
    EXPECT_EQ(list.untitledCounter(), 2);
}

TEST(DocumentList, DisplayNamesHintsAndCaptions)
{
    struct Case {
        const char* file;
        TrackRole role;
        RememberedTracks before;
        const char* name;
        const char* hint;
        RememberedTracks after;
    };
    const Case cases[] = {
        {"/home/u/My Show/ép 1.wav", TrackRole::Normal, {}, "ép 1.wav", "/home/u/My Show/ép 1.wav", {}},
        {"/t/LOD1.tmp", TrackRole::Music, {}, "Music Track", "Music Track", {"/t/LOD1.tmp", ""}},
        {"/t/LOD2.tmp", TrackRole::Voice, {}, "Voice Track", "Voice Track", {"", "/t/LOD2.tmp"}},
        // The voice track while the music track is open: named for its own role.
        {"/t/LOD2.tmp", TrackRole::Voice, {"/t/LOD1.tmp", ""}, "Voice Track", "Voice Track",
         {"/t/LOD1.tmp", "/t/LOD2.tmp"}},
        // A second music track while one is remembered: a plain file name.
        {"/t/LOD3.tmp", TrackRole::Music, {"/t/LOD1.tmp", ""}, "LOD3.tmp", "/t/LOD3.tmp", {"/t/LOD1.tmp", ""}},
        {"Untitled4.wav", TrackRole::Normal, {}, "Untitled4.wav", "Untitled4.wav", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        TDocumentRecord document;
        document.documentFile = QString::fromUtf8(c.file);
        RememberedTracks tracks = c.before;
        nameDocument(document, c.role, tracks);
        EXPECT_EQ(document.displayName, QString::fromUtf8(c.name));
        EXPECT_EQ(documentHint(document), QString::fromUtf8(c.hint));
        EXPECT_EQ(tracks.musicTrackFile, c.after.musicTrackFile);
        EXPECT_EQ(tracks.voiceTrackFile, c.after.voiceTrackFile);
        document.saveState = SaveState::Unchanged;
        document.workspaceState = WorkspaceState::Ready;
        EXPECT_EQ(windowCaption(&document), "Vexal Audio Zuq Editor: " + QString::fromUtf8(c.name));
        document.workspaceState = WorkspaceState::ReadOnly;
        EXPECT_EQ(windowCaption(&document), "Vexal Audio Zuq Editor: " + QString::fromUtf8(c.name) + " (Read Only)");
    }
    // A file that happens to be called like a track is still named by its path in the hint.
    TDocumentRecord odd;
    odd.documentFile = "/x/Music Track";
    RememberedTracks none;
    nameDocument(odd, TrackRole::Normal, none);
    EXPECT_EQ(documentHint(odd), "/x/Music Track");
    EXPECT_EQ(windowCaption(nullptr), "Vexal Audio Zuq Editor");
}
