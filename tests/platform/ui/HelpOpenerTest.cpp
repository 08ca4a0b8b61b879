#include "platform/ui/HelpOpener.h"

#include "platform/base/ProgramFolder.h"
#include "platform/ui/UrlOpener.h"
#include "tests/support/LogCapture.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>

#include <vector>

namespace {
struct RecordingUrlOpener : platform::UrlOpener {
    std::vector<QUrl> opened;
    bool openUrl(const QUrl& url) override
    {
        opened.push_back(url);
        return true;
    }
};
} // namespace

TEST(HelpOpener, OpensThePageOfAContextFromTheProgramFolder)
{
    const QString folder = testsupport::testFolder();
    platform::ProgramFolderOverride programFolder(folder);
    QDir().mkpath(folder + "/help/WexoRavadur");
    testsupport::writeFile(folder + "/help/WexoRavadur/16.html", "<html></html>");
    testsupport::writeFile(folder + "/help/WexoRavadur/index.html", "<html></html>");

    RecordingUrlOpener urls;
    testsupport::ScriptedInteraction ui;
    platform::HelpOpener help(urls, ui, "Wexo Ravadur");
    EXPECT_TRUE(help.showContext("WexoRavadur.chm", 16));
    EXPECT_TRUE(help.showDefaultTopic("WexoRavadur.chm"));
    ASSERT_EQ(urls.opened.size(), 2u);
    EXPECT_EQ(urls.opened[0], QUrl::fromLocalFile(folder + "/help/WexoRavadur/16.html"));
    EXPECT_EQ(urls.opened[1], QUrl::fromLocalFile(folder + "/help/WexoRavadur/index.html"));
}

TEST(HelpOpener, MissingPageIsToldAndLogged)
{
    platform::ProgramFolderOverride programFolder(testsupport::testFolder());
    RecordingUrlOpener urls;
    testsupport::ScriptedInteraction ui;
    testsupport::LogCapture log;
    ui.expectMessageBox(platform::IDOK, "could not be found");
    platform::HelpOpener help(urls, ui, "Vexal Audio Zuq Editor");
    EXPECT_FALSE(help.showContext("ZuqEditor.chm", 50));
    EXPECT_TRUE(urls.opened.empty());
    ASSERT_EQ(ui.prompts().size(), 1u);
    EXPECT_EQ(ui.prompts()[0].caption, "Vexal Audio Zuq Editor");
    EXPECT_EQ(ui.prompts()[0].flags, platform::MB_OK | platform::MB_ICONERROR);
    EXPECT_TRUE(ui.prompts()[0].text.contains("help/ZuqEditor/50.html"));
    EXPECT_TRUE(log.contains("help page missing"));
}
