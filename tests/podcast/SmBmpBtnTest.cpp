// The builder's small picture button: which picture it shows as it is pressed, toggled and turned
// off, and when it reports a click.
#include "podcast/SmBmpBtn.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using podcast::TSimpleBmpButton;
using Picture = TSimpleBmpButton::Picture;

namespace {

QImage filled(const QColor& colour)
{
    QImage image(20, 20, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

struct Step {
    enum Action { Press, ReleaseOver, ReleaseOff, DoubleClickHeld } action;
    Picture shown;
    bool paused;
    int clicks;
};

struct Case {
    const char* what;
    bool toggle;
    bool enabled;
    QList<Step> steps;
};

TEST(SimpleBmpButton, PicturesAndClicksFollowThePresses)
{
    const Case cases[] = {
        {"a plain button is down only while held",
         false,
         true,
         {{Step::Press, Picture::Down, false, 0},
          {Step::ReleaseOver, Picture::Up, false, 1},
          {Step::DoubleClickHeld, Picture::Down, false, 1},
          {Step::ReleaseOver, Picture::Up, false, 2}}},
        {"a press taken off the button is no click", false, true,
         {{Step::Press, Picture::Down, false, 0}, {Step::ReleaseOff, Picture::Up, false, 0}}},
        {"a toggle stays down after one click and comes up after the next",
         true,
         true,
         {{Step::Press, Picture::Down, false, 0},
          {Step::ReleaseOver, Picture::Down, true, 1},
          {Step::Press, Picture::Down, true, 1},
          {Step::ReleaseOver, Picture::Up, false, 2}}},
        {"a button turned off shows its disabled picture and still clicks",
         false,
         false,
         {{Step::Press, Picture::Disabled, false, 0}, {Step::ReleaseOver, Picture::Disabled, false, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TSimpleBmpButton button;
        button.setUpImage(filled(Qt::white));
        button.setDownImage(filled(Qt::black));
        button.setDisImage(filled(Qt::gray));
        button.setPauseButton(c.toggle);
        button.setPictureEnabled(c.enabled);
        button.show();
        QSignalSpy clicks(&button, &TSimpleBmpButton::OnClick);
        const QPoint inside(10, 10);
        for (const Step& step : c.steps) {
            switch (step.action) {
            case Step::Press:
                QTest::mousePress(&button, Qt::LeftButton, {}, inside);
                break;
            case Step::ReleaseOver:
                QTest::mouseRelease(&button, Qt::LeftButton, {}, inside);
                break;
            case Step::ReleaseOff:
                QTest::mouseMove(&button, QPoint(60, 60));
                QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(60, 60));
                break;
            case Step::DoubleClickHeld:
                QTest::mouseDClick(&button, Qt::LeftButton, {}, inside);
                QTest::mousePress(&button, Qt::LeftButton, {}, inside);
                break;
            }
            EXPECT_EQ(button.shownPicture(), step.shown) << step.action;
            EXPECT_EQ(button.Paused(), step.paused) << step.action;
            EXPECT_EQ(clicks.count(), step.clicks) << step.action;
        }
        // What is drawn is the picture the button says it shows.
        const QImage drawn = button.grab().toImage();
        const QColor expected = button.shownPicture() == Picture::Disabled ? QColor(Qt::gray)
                                : button.shownPicture() == Picture::Down   ? QColor(Qt::black)
                                                                           : QColor(Qt::white);
        EXPECT_EQ(drawn.pixelColor(drawn.rect().center()), expected);
    }
}

TEST(SimpleBmpButton, PausedIsATogglesStateOnly)
{
    TSimpleBmpButton button;
    EXPECT_FALSE(button.Enabled());
    EXPECT_EQ(button.sizeHint(), QSize(20, 20));
    button.setPictureEnabled(true);
    button.setPaused(true);
    EXPECT_FALSE(button.Paused());
    button.setPauseButton(true);
    button.setPaused(true);
    EXPECT_TRUE(button.Paused());
    EXPECT_EQ(button.shownPicture(), Picture::Down);
    // Leaving toggle mode clears the state.
    button.setPauseButton(false);
    EXPECT_FALSE(button.Paused());
    EXPECT_EQ(button.shownPicture(), Picture::Up);
}

} // namespace
