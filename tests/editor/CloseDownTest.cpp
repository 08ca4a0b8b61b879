#include "editor/CloseDown.h"

#include "editor/Workspace.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <map>

namespace {

struct FakeHost : CloseDownHost {
    int documents = 0;
    std::map<int, int> closeAnswers; // by index; 0 when not listed
    int settingsAnswer = 0;
    bool busy = false;
    QStringList calls;

    void setBusy(bool b) override
    {
        busy = b;
        calls << (b ? QStringLiteral("busy") : QStringLiteral("idle"));
    }
    void stopPlayback() override { calls << QStringLiteral("stop playback"); }
    void stopRecording() override { calls << QStringLiteral("stop recording"); }
    void stopLevelTest() override { calls << QStringLiteral("stop level test"); }
    int documentCount() const override { return documents; }
    int closeDocumentAt(int index) override
    {
        calls << QStringLiteral("close %1").arg(index);
        const auto found = closeAnswers.find(index);
        return found == closeAnswers.end() ? 0 : found->second;
    }
    void showMainWindow() override { calls << QStringLiteral("show"); }
    int saveSettings() override
    {
        calls << QStringLiteral("save");
        return settingsAnswer;
    }
    void showError(int id) override { calls << QStringLiteral("error %1").arg(id); }
    void releaseDevices() override { calls << QStringLiteral("release"); }
};

TEST(EditorCloseDown, DocumentsCloseLastFirstAndAKeptOneKeepsTheWindow)
{
    const QStringList start{"busy", "stop playback", "stop recording"};
    const QStringList finish{"stop level test", "save", "release", "idle"};
    struct Case {
        const char* name;
        int documents;
        std::map<int, int> closeAnswers;
        int settingsAnswer;
        bool closes;
        QStringList middle;
    };
    const std::vector<Case> cases = {
        {"no documents", 0, {}, 0, true, {}},
        {"three documents", 3, {}, 0, true, {"close 2", "close 1", "close 0"}},
        {"a failed close goes on", 2, {{1, 181}}, 0, true, {"close 1", "close 0"}},
        {"the user keeps the middle one", 3, {{1, kCancelled}}, 0, false, {"close 2", "close 1", "show", "idle"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeHost host;
        host.documents = c.documents;
        host.closeAnswers = c.closeAnswers;
        EXPECT_EQ(closeDown(host), c.closes);
        EXPECT_EQ(host.calls, start + c.middle + (c.closes ? finish : QStringList{}));
        EXPECT_FALSE(host.busy);
    }
}

TEST(EditorCloseDown, SettingsThatCannotBeSavedAreToldAndTheDevicesStillGo)
{
    FakeHost host;
    host.settingsAnswer = 158;
    EXPECT_TRUE(closeDown(host));
    EXPECT_EQ(host.calls,
              (QStringList{"busy", "stop playback", "stop recording", "stop level test", "save", "error 158", "release",
                           "idle"}));
}

} // namespace
