// Every skinned control in one window on a skinned form, at two sizes: each control's rectangle
// is drawn (not left as the form's background), no two controls overlap, and the picture is saved
// beside the test binary (control-gallery-<size>.png) for people to look at.
#include "controls/CoolButton.h"
#include "controls/CoolForm.h"
#include "controls/CoolSliderH.h"
#include "controls/CoolSliderV.h"
#include "controls/EQBmpBtn.h"
#include "controls/EQGroupBox.h"
#include "controls/EQMeter.h"
#include "controls/Overview.h"
#include "controls/RectBtnEx.h"
#include "recorder/WebEQSliderV.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaveFixtures.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QPainter>
#include <QPainterPath>
#include <QTest>

#include <atomic>
#include <cmath>
#include <numbers>

using namespace controls;
using recorder::TWebEQSliderV;

namespace {

// Faces for the picture buttons and the tab, drawn here: the windows draw their own.
QImage face(QSize size, const QColor& top, const QColor& bottom, const QColor& border)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), 4, 4);
    QLinearGradient gradient(0, 0, 0, size.height());
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    painter.fillPath(path, gradient);
    painter.setPen(border);
    painter.drawPath(path);
    return image;
}

QImage playGlyph(const QColor& color)
{
    QImage image(12, 12, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawPolygon(QPolygonF({QPointF(2, 1), QPointF(11, 6), QPointF(2, 11)}));
    return image;
}

QString writeTone(const QString& path)
{
    QList<int16_t> samples;
    const int frames = 8000 * 3;
    for (int f = 0; f < frames; ++f) {
        const double envelope = 0.25 + 0.75 * std::fabs(std::sin(std::numbers::pi * f / 6000.0));
        samples << int16_t(std::lround(26000 * envelope * std::sin(2 * std::numbers::pi * f / 37.0)));
    }
    testsupport::writeFile(path, wavefixtures::pcmWave(wavefixtures::waveFormat(1, 1, 8000, 16), wavefixtures::pcm16(samples)));
    return path;
}

struct Gallery {
    std::unique_ptr<TCoolForm> form;
    std::vector<QWidget*> controls; // the form's direct children, each one control
};

// Lays the controls out on a form; `s` scales every size and position.
Gallery build(double s, const QString& wave)
{
    Gallery g;
    g.form = std::make_unique<TCoolForm>();
    TCoolForm* form = g.form.get();
    auto px = [s](int v) { return int(std::lround(v * s)); };
    auto place = [&](QWidget* w, int x, int y, int width, int height) {
        w->setGeometry(px(x), px(y), px(width), px(height));
        g.controls.push_back(w);
    };
    form->resize(px(640), px(420));

    auto* overview = new TQzv32Overview(form);
    overview->setBackGroundColor(QColor(0x1B, 0x20, 0x27));
    overview->setWaveFormColor(QColor(0x6A, 0xB5, 0xFF));
    overview->setAxisColor(QColor(0x3A, 0x44, 0x50));
    place(overview, 16, 16, 608, 48);
    EXPECT_EQ(overview->OpenWaveFile(wave), 0);
    std::atomic<int32_t> progress{0};
    EXPECT_EQ(overview->BuildPeaks(progress), 0);
    EXPECT_EQ(overview->DrawView(overview->MaxZoomLevel(), 0), 0);
    overview->frame()->setFrameLeftAndWidth(overview->width() / 4, overview->width() / 3);

    const QStringList tabs = {QStringLiteral("Morning show.wav"), QStringLiteral("Interview with the mayor, part two.wav")};
    for (int i = 0; i < tabs.size(); ++i) {
        auto* tab = new TQzv32RectBtnEx(form);
        tab->setCaption(tabs[i]);
        tab->setColor(QColor(0x5B, 0x67, 0x76));
        tab->setDownColor(QColor(0xF4, 0xF7, 0xFA));
        tab->setButtonDownCaptionColor(QColor(0x2A, 0x5F, 0xA8));
        tab->setCaptionLeftPos(px(8));
        tab->setCaptionTopPos(px(7));
        tab->setDown(i == 0);
        place(tab, 16 + i * 128, 72, 124, 28);
    }

    struct ButtonSetup {
        ControlVariant variant;
        QString caption;
        bool toggle, down, enabled;
    };
    const ButtonSetup buttons[] = {
        {ControlVariant::Editor, QStringLiteral("&Record"), false, false, true},
        {ControlVariant::Editor, QStringLiteral("Loop"), true, true, true},
        {ControlVariant::Recorder, QStringLiteral("Stop All"), false, false, true},
        {ControlVariant::Editor, QStringLiteral("Export"), false, false, false},
    };
    for (int i = 0; i < 4; ++i) {
        auto* button = new TCoolButton(buttons[i].variant, form);
        button->setCaption(buttons[i].caption);
        button->setIsToggleButton(buttons[i].toggle);
        button->setDown(buttons[i].down);
        button->setEnabled(buttons[i].enabled);
        button->setTransparent(true);
        place(button, 16 + i * 92, 114, 84, 26);
    }
    auto* glyphButton = new TCoolButton(ControlVariant::Editor, form);
    glyphButton->setGlyph(playGlyph(QColor(0x2E, 0x7D, 0x4F)));
    glyphButton->setTransparent(true);
    place(glyphButton, 384, 114, 40, 26);

    auto* position = new TCoolSliderH(ControlVariant::Editor, form);
    position->setRange(0, 1000);
    position->setPosition(420);
    position->setSelection(250, 580);
    place(position, 16, 154, 400, 20);
    auto* balance = new TCoolSliderH(ControlVariant::Recorder, form);
    balance->setPosition(70);
    place(balance, 16, 184, 200, 20);

    auto* fader = new TCoolSliderV(ControlVariant::Recorder, form);
    fader->setRange(-24, 24);
    fader->setPosition(-8);
    place(fader, 440, 114, 20, 150);

    for (int type = 0; type < 3; ++type) {
        auto* trim = new TWebEQSliderV(form);
        trim->setRange(-24, 24);
        trim->setPosition(-12 + 12 * type);
        trim->setImageType(type);
        trim->setScaleType(type);
        trim->setBgColor(QColor(0xE8, 0xEC, 0xF0));
        trim->setScaleColor(QColor(0x6E, 0x7A, 0x87));
        place(trim, 476 + type * 36, 114, 30, 150);
    }
    auto* disabledTrim = new TWebEQSliderV(form);
    disabledTrim->setBgColor(QColor(0xE8, 0xEC, 0xF0));
    disabledTrim->setScaleColor(QColor(0xB8, 0xC0, 0xC9));
    disabledTrim->setEnabled(false);
    place(disabledTrim, 584, 114, 30, 150);

    for (int channel = 0; channel < 2; ++channel) {
        auto* meter = new TEQMeter(form);
        place(meter, 232 + channel * 20, 184, 14, 100);
        meter->setMax(100);
        meter->setBarCount(1);
        meter->setBarWidth(meter->width());
        meter->setShowBackground(true);
        meter->setShowHistory(true);
        meter->setBarValue(0, channel == 0 ? 92 : 100);
        for (int step = 0; step < 4; ++step)
            meter->Decay();
    }

    auto* group = new TEQGroupBox(form);
    group->setCaption(QStringLiteral("&Pads"));
    group->setBackPicture(face(QSize(64, 64), QColor(0xF7, 0xF9, 0xFB), QColor(0xE2, 0xE7, 0xED), QColor(0xF7, 0xF9, 0xFB)));
    place(group, 16, 294, 400, 110);
    const QRect inside = group->contentsRect();
    const QSize padSize((inside.width() - 7 * px(6)) / 6, inside.height() - px(16));
    const QImage up = face(padSize, QColor(0xFF, 0xFF, 0xFF), QColor(0xDD, 0xE3, 0xEA), QColor(0x8E, 0x99, 0xA6));
    const QImage down = face(padSize, QColor(0xC9, 0xDC, 0xF4), QColor(0xDD, 0xE8, 0xF6), QColor(0x2A, 0x5F, 0xA8));
    const QImage dis = face(padSize, QColor(0xF0, 0xF2, 0xF4), QColor(0xF0, 0xF2, 0xF4), QColor(0xC4, 0xCB, 0xD3));
    for (int i = 0; i < 6; ++i) {
        auto* pad = new TEQBmpButton(group);
        pad->setUpImage(up);
        pad->setDownImage(down);
        pad->setDisImage(dis);
        pad->setCaption(QStringLiteral("Pad %1").arg(i + 1));
        pad->setToggleButton(true);
        pad->setPressed(i == 1);
        pad->setEnabled(i != 5);
        pad->setGlyphLeft(0);
        pad->setGeometry(inside.left() + px(6) + i * (padSize.width() + px(6)), inside.top() + px(8), padSize.width(),
                         padSize.height());
    }
    return g;
}

// The share of the control's pixels that differ from the form's background under it.
double drawnShare(const QImage& window, const QImage& background, const QRect& rect)
{
    int differing = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            if (window.pixel(x, y) != background.pixel(x, y))
                ++differing;
        }
    }
    return double(differing) / (rect.width() * rect.height());
}

} // namespace

TEST(ControlGalleryTest, EveryControlIsDrawnAndNoneOverlap)
{
    const QString wave = writeTone(testsupport::testFolder() + "/tone.wav");
    for (const double scale : {1.0, 1.5}) {
        Gallery gallery = build(scale, wave);
        gallery.form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(gallery.form.get()));
        const QImage window = gallery.form->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        const QImage background = gallery.form->background().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        ASSERT_EQ(window.size(), gallery.form->size());
        ASSERT_EQ(background.size(), window.size());

        const QString path = QDir::current().filePath(QStringLiteral("control-gallery-%1.png").arg(scale == 1.0 ? "small" : "large"));
        ASSERT_TRUE(window.save(path)) << path.toStdString();
        std::printf("control gallery: %s\n", qPrintable(path));

        for (size_t i = 0; i < gallery.controls.size(); ++i) {
            QWidget* control = gallery.controls[i];
            const QRect rect = control->geometry();
            ASSERT_TRUE(gallery.form->rect().contains(rect)) << control->metaObject()->className();
            // A fair part of the rectangle is the control's own drawing (a fader on the window's colour
            // draws little more than its scale and knob).
            EXPECT_GT(drawnShare(window, background, rect), 0.04) << control->metaObject()->className() << " at " << scale;
            for (size_t j = i + 1; j < gallery.controls.size(); ++j)
                EXPECT_FALSE(rect.intersects(gallery.controls[j]->geometry()))
                    << control->metaObject()->className() << " overlaps " << gallery.controls[j]->metaObject()->className();
        }
        // The pads inside the group box do not overlap either, and lie inside its client area.
        auto* group = gallery.form->findChild<TEQGroupBox*>();
        ASSERT_NE(group, nullptr);
        const QList<TEQBmpButton*> pads = group->findChildren<TEQBmpButton*>();
        ASSERT_EQ(pads.size(), 6);
        for (int i = 0; i < pads.size(); ++i) {
            EXPECT_TRUE(group->contentsRect().contains(pads[i]->geometry()));
            for (int j = i + 1; j < pads.size(); ++j)
                EXPECT_FALSE(pads[i]->geometry().intersects(pads[j]->geometry()));
        }
        // Each pad draws its own face over the group box's picture.
        const auto grabGroup = [group] {
            return group->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        };
        const QImage withPads = grabGroup();
        for (TEQBmpButton* pad : pads)
            pad->hide();
        const QImage groupAlone = grabGroup();
        for (TEQBmpButton* pad : pads) {
            pad->show();
            EXPECT_GT(drawnShare(withPads, groupAlone, pad->geometry()), 0.04)
                << pad->Caption().toStdString() << " at " << scale;
        }
    }
}
