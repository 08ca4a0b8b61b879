// The builder window on its real pages: a new podcast with iTunes tags filled in page by page with
// Next, each page kept as a picture, and saved into a project that holds what was typed.
#include "tests/podcast/XvqFormSupport.h"

#include "podcast/ProjectFile.h"

#include <QFileInfo>
#include <QPlainTextEdit>

using namespace podcast;
using namespace xvqtest;

namespace {

class XvqFormRealPagesTest : public XvqFormTest {
protected:
    void type(QWidget& window, const char* name, const QString& text)
    {
        QWidget* field = named<QWidget>(window, QString::fromLatin1(name));
        ASSERT_NE(field, nullptr);
        ASSERT_TRUE(field->isEnabled()) << name;
        ASSERT_FALSE(field->property("readOnly").toBool()) << name;
        field->setFocus();
        QTest::keyClicks(field, text);
    }
};

struct PageFill {
    XvqPage page;
    std::vector<std::pair<const char*, QString>> fields;
    const char* next; // the page's Next button
};

TEST_F(XvqFormRealPagesTest, ANewPodcastIsFilledInAndSaved)
{
    const QString wave = makeWave("kitchen-talk-01.wav");
    auto window = makeWindow(createXvqPage);
    ASSERT_TRUE(window->prepareForNewPodcast(wave, 1));
    window->show();
    ASSERT_EQ(shownPage(*window), XvqPage::AudioFile);

    const PageFill fills[] = {
        {XvqPage::AudioFile, {}, "AudioNextButton"},
        {XvqPage::HostSelection, {}, "HostNextButton"},
        {XvqPage::FeedInfo,
         {{"FeedNameEdit", "kitchen"},
          {"FeedTitleEdit", "Kitchen Talk"},
          {"FeedDescriptionMemo", "Two cooks talk about pots, pans and the food in between."},
          {"WebmasterEdit", "web@example.org"},
          {"EditorEdit", "anna@example.org"},
          {"CopyrightEdit", "2026 Anna Cook"}},
         "FeedNextButton"},
        {XvqPage::FeediTunesInfo,
         {{"FeedSubtitleEdit", "Cooking, plainly"},
          {"FeedOwnerEdit", "Anna Cook"},
          {"FeedOwnerEmailEdit", "anna@example.org"},
          {"FeedSummaryMemo", "A weekly half hour from a small kitchen."}},
         "iTunesFeedNextButton"},
        {XvqPage::PodcastItemInfo,
         {{"ItemTitleEdit", "Pots and Pans"}, {"ItemDescriptionMemo", "Which pan for which dish, and why."}},
         "ItemNextButton"},
        {XvqPage::ItemiTunesInfo, {{"ItemAuthorEdit", "Anna Cook"}}, "iTunesItemNextButton"},
        {XvqPage::FTPInfo, {}, "FTPNextButton"},
        {XvqPage::Upload, {}, nullptr},
    };
    for (const PageFill& fill : fills) {
        SCOPED_TRACE(xvqPageName(fill.page).toStdString());
        ASSERT_EQ(shownPage(*window), fill.page);
        for (const auto& [name, text] : fill.fields)
            type(*window, name, text);
        saveScreenshot(*window, QStringLiteral("TXvqForm-") + xvqPageName(fill.page));
        if (fill.next)
            click(*window, QString::fromLatin1(fill.next));
    }
    EXPECT_TRUE(window->changed());

    const QString target = path("kitchen.pdi");
    interaction.expectSaveFile({true, {target}, 1}, QStringLiteral("Save Podcast As"));
    click(*window, QStringLiteral("SaveButton"));
    EXPECT_TRUE(interaction.allConsumed());
    EXPECT_TRUE(interaction.prompts().back().request.fileName.endsWith(QStringLiteral("kitchen.pdi")));

    PodcastRecord saved;
    ASSERT_EQ(ReadPDISettings(target, saved), PdiOk);
    ASSERT_EQ(ReadPDIItem(target, 1, saved), PdiOk);
    EXPECT_EQ(saved.PodcastType, 1);
    EXPECT_EQ(saved.FeedName, "kitchen.xml");
    EXPECT_EQ(saved.FeedTitle, "Kitchen Talk");
    EXPECT_EQ(saved.FeedOwner, "Anna Cook");
    EXPECT_EQ(saved.ItemTitle, "Pots and Pans");
    EXPECT_EQ(saved.ItemAuthor, "Anna Cook");
    EXPECT_EQ(saved.AudioFilePath, wave);
    EXPECT_TRUE(tempProjects().isEmpty());
    EXPECT_FALSE(window->changed());
}

} // namespace
