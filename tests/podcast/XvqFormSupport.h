#pragma once
// The builder window under test: scripted boxes and dialogs, settings in memory, a temporary folder
// of its own, and content pages that are fakes with scripted verdicts, so that the window's way
// between the pages is tested apart from the real pages.
#include "common/ErrCodes.h"
#include "platform/settings/MemorySettingsStore.h"
#include "platform/ui/Messages.h"
#include "podcast/XvqMain.h"
#include "tests/podcast/ProjectFixtures.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace xvqtest {

// What the fake pages answer and what they saw.
struct FakeScript {
    std::map<podcast::XvqPage, podcast::StepVerdict> gatherVerdicts;
    QStringList log; // "gather <page>" and "update <page>", in order
};

// A content page with one field that carries the episode title (typed text goes into the record), and Next and Back buttons named
// "<page>Next" and "<page>Back" (the upload page has no Next, as the real one).
class FakePage : public podcast::XvqPageWidget {
public:
    FakePage(podcast::XvqPage page, QWidget* parent, FakeScript& script);

    void UIUpdate(podcast::PodcastRecord& record, const podcast::XvqContext& context) override;
    podcast::StepVerdict Gather(podcast::PodcastRecord& record, const podcast::XvqContext& context) override;

    QLineEdit* field = nullptr;

private:
    FakeScript& m_script;
};

platform::StringTable recorderStrings();

class XvqFormTest : public ::testing::Test {
protected:
    XvqFormTest();

    // A window on the fake pages (or on the factory given).
    std::unique_ptr<podcast::TXvqForm> makeWindow(podcast::XvqPageFactory factory = {});

    QString path(const QString& name) const { return QDir(folder).filePath(name); }
    // A project of `episodes` episodes titled "Episode 1" ...
    QString makeProject(const QString& name, int episodes);
    // A short WAV file.
    QString makeWave(const QString& name);
    QStringList tempProjects() const;
    QStringList gridTitles(podcast::TXvqForm& window) const;

    template <typename T = QWidget>
    static T* named(QWidget& window, const QString& name)
    {
        T* widget = window.findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name.toStdString();
        return widget;
    }
    static void click(QWidget& window, const QString& name);
    static void clickTab(QWidget& window, podcast::XvqPage page);
    // Types into the field of a fake page: an edit of the user.
    static void typeInto(QWidget& window, podcast::XvqPage page, const QString& text);
    static podcast::XvqPage shownPage(QWidget& window);

    QString folder = testsupport::testFolder();
    QString temps = [this] {
        QDir().mkpath(folder + QStringLiteral("/temps"));
        return folder + QStringLiteral("/temps");
    }();
    FakeScript script;
    testsupport::ScriptedInteraction interaction;
    platform::Messages messages{recorderStrings(), interaction, QString::fromLatin1(kRecorderCaption)};
    platform::MemorySettingsStore settings;
};

// Keeps the window as screenshots/<name>.png and checks that the picture is the window's.
void saveScreenshot(QWidget& window, const QString& name);

} // namespace xvqtest

inline void PrintTo(const QStringList& list, std::ostream* out)
{
    *out << '{' << list.join(QStringLiteral(" | ")).toStdString() << '}';
}
