// The skin's pictures: every name a control loads exists in the resources and decodes, names match
// without regard to case, the pictures that are drawn side by side fit each other, a missing
// picture is a null image that is logged once, every picture has a sharp twice-as-large version for
// screens at 200% that covers the same logical size, and the committed pictures are what the
// generator draws.
#include "controls/SkinImages.h"
#include "tests/support/LogCapture.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

using namespace controls;

namespace {

// Every picture name the controls load, as each control spells it.
const char* const kButtonSlices[] = {"Btnleft",         "Btnright",         "Btncenter",
                                     "BtnleftDown",     "BtnrightDown",     "BtncenterDown",
                                     "BtnleftDisabled", "BtnrightDisabled", "BtncenterDisabled"};
const char* const kFormPieces[] = {"topleft", "topright", "botLeft", "botRight", "top", "bot", "left", "right", "center"};
const char* const kSliderH[] = {"thumbhorz", "channelhorz", "channelhorzLeft", "channelhorzRight", "backgroundhorz",
                                "channelsel"};
const char* const kSliderV[] = {"thumbvert", "channelvert", "channelverttop", "channelvertBottom", "backgroundvert"};
const char* const kMeter[] = {"BG", "FG"};
const char* const kKnobs[] = {"THUMB",     "THUMBHIGH",     "THUMBDIS", "THUMBBLUE", "THUMBHIGHBLUE",
                              "THUMBDISBLUE", "THUMB2", "THUMB2H",  "THUMB2DIS"};

QStringList allNames()
{
    QStringList names;
    for (const char* name : kButtonSlices)
        names << name;
    for (const char* name : kFormPieces)
        names << name;
    for (const char* name : kSliderH)
        names << name;
    for (const char* name : kSliderV)
        names << name;
    for (const char* name : kMeter)
        names << name;
    for (const char* name : kKnobs)
        names << name;
    return names;
}

QSize sizeOf(const char* name)
{
    return skinImage(QString::fromLatin1(name)).size();
}

} // namespace

TEST(SkinResourcesTest, EveryNameTheControlsLoadExistsAndDecodes)
{
    const QStringList names = allNames();
    ASSERT_EQ(names.size(), 29 + 2 + 9);
    for (const QString& name : names) {
        const QImage image = skinImage(name);
        EXPECT_FALSE(image.isNull()) << name.toStdString();
        EXPECT_GT(image.width(), 0) << name.toStdString();
    }
    // Nothing else is in the folder.
    EXPECT_EQ(skinImageNames().size(), names.size());
}

TEST(SkinResourcesTest, NamesMatchWithoutRegardToCase)
{
    const QImage original = skinImage(QStringLiteral("botLeft"));
    ASSERT_FALSE(original.isNull());
    EXPECT_EQ(skinImage(QStringLiteral("BOTLEFT")), original);
    EXPECT_EQ(skinImage(QStringLiteral("botleft")), original);
    EXPECT_EQ(skinImage(QStringLiteral("ThumbHorz")), skinImage(QStringLiteral("thumbhorz")));
}

TEST(SkinResourcesTest, PicturesDrawnTogetherFitEachOther)
{
    // The three slices of each button set are as tall as the default button (25).
    for (const char* name : kButtonSlices)
        EXPECT_EQ(sizeOf(name).height(), 25) << name;
    EXPECT_EQ(sizeOf("Btnleft"), sizeOf("BtnleftDown"));
    EXPECT_EQ(sizeOf("Btnright"), sizeOf("BtnrightDisabled"));

    // The frame's sides are as thick as its corners.
    EXPECT_EQ(sizeOf("top").height(), sizeOf("topleft").height());
    EXPECT_EQ(sizeOf("bot").height(), sizeOf("botRight").height());
    EXPECT_EQ(sizeOf("left").width(), sizeOf("botLeft").width());
    EXPECT_EQ(sizeOf("right").width(), sizeOf("topright").width());

    // The channels fit inside the thumbs' thickness; each channel's end pieces match its tiles.
    EXPECT_LT(sizeOf("channelhorz").height(), sizeOf("thumbhorz").height());
    EXPECT_EQ(sizeOf("channelhorzLeft").height(), sizeOf("channelhorz").height());
    EXPECT_EQ(sizeOf("channelsel").height(), sizeOf("channelhorz").height());
    EXPECT_LT(sizeOf("channelvert").width(), sizeOf("thumbvert").width());
    EXPECT_EQ(sizeOf("channelverttop").width(), sizeOf("channelvert").width());

    // Each knob type's three states are the same size, so the knob does not jump.
    for (int type = 0; type < 3; ++type)
        EXPECT_EQ(sizeOf(kKnobs[3 * type]), sizeOf(kKnobs[3 * type + 1]));
    for (int type = 0; type < 3; ++type)
        EXPECT_EQ(sizeOf(kKnobs[3 * type]), sizeOf(kKnobs[3 * type + 2]));
}

// Asked for a device pixel ratio above 1, every name gives its @2x picture: twice the pixels, a
// pixel ratio of 2, the plain picture's logical size, and drawn afresh rather than enlarged (the
// two differ somewhere once the plain one is doubled pixel for pixel). At ratio 1 the plain one.
TEST(SkinResourcesTest, EveryPictureHasALargeVersionOfTheSameLogicalSize)
{
    int drawnAfresh = 0;
    const QStringList names = allNames();
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        const QImage plain = skinImage(name);
        const QImage large = skinImage(name, 2);
        ASSERT_FALSE(large.isNull());
        EXPECT_EQ(plain.devicePixelRatio(), 1.0);
        EXPECT_EQ(skinImage(name, 1), plain);
        EXPECT_EQ(large.devicePixelRatio(), 2.0);
        EXPECT_EQ(large.size(), plain.size() * 2);
        EXPECT_EQ(logicalSize(large), plain.size());
        EXPECT_EQ(logicalSize(plain), plain.size());
        // Ratios between 1 and 2 take the large picture as well, so a painter scales it down.
        EXPECT_EQ(skinImage(name, 1.5), large);
        if (large != plain.scaled(plain.size() * 2).convertToFormat(large.format()))
            ++drawnAfresh;
    }
    // The flat tiles (background, centre) are the same at any scale; everything else is finer.
    EXPECT_GE(drawnAfresh, names.size() - 4);
}

TEST(SkinResourcesTest, MissingLargePictureFallsBackToThePlainOne)
{
    const QString folder = testsupport::testFolder();
    ASSERT_TRUE(skinImage(QStringLiteral("Btnleft")).save(folder + "/Btnleft.png"));
    testsupport::LogCapture log;
    setSkinFolder(folder);
    const QImage image = skinImage(QStringLiteral("Btnleft"), 2);
    EXPECT_FALSE(image.isNull());
    EXPECT_EQ(image.devicePixelRatio(), 1.0);
    EXPECT_EQ(image.size(), QSize(8, 25));
    EXPECT_TRUE(log.contains("has no @2x version", "va.controls"));
    setSkinFolder({});
}

TEST(SkinResourcesTest, DeviceCanvasCoversTheLogicalSize)
{
    const struct {
        QSize logical;
        qreal ratio;
        QSize pixels;
    } cases[] = {
        {{30, 20}, 1, {30, 20}},
        {{30, 20}, 2, {60, 40}},
        {{13, 7}, 1.25, {17, 9}}, // rounded up
        {{10, 10}, 0, {10, 10}},  // no ratio given: 1
    };
    for (const auto& c : cases) {
        const QImage canvas = deviceCanvas(c.logical, c.ratio);
        EXPECT_EQ(canvas.size(), c.pixels) << c.ratio;
        EXPECT_EQ(qAlpha(canvas.pixel(0, 0)), 0);
    }
    EXPECT_EQ(logicalSize(deviceCanvas({30, 20}, 2)), QSize(30, 20));
    EXPECT_TRUE(deviceCanvas({0, 5}, 2).isNull());
}

TEST(SkinResourcesTest, MissingPictureIsNullAndLoggedOnce)
{
    const QString empty = testsupport::testFolder();
    testsupport::LogCapture log;
    setSkinFolder(empty);
    EXPECT_TRUE(skinImage(QStringLiteral("Btnleft")).isNull());
    EXPECT_TRUE(skinImage(QStringLiteral("btnleft")).isNull());
    setSkinFolder({});
    EXPECT_FALSE(skinImage(QStringLiteral("Btnleft")).isNull());

    int misses = 0;
    for (const auto& entry : log.entries()) {
        if (entry.category == "va.controls" && entry.message.contains("Btnleft"))
            ++misses;
    }
    EXPECT_EQ(misses, 1);

    // A file that is not a picture is reported as such and drawn as missing.
    testsupport::writeFile(empty + "/FG.png", "not a picture");
    setSkinFolder(empty);
    EXPECT_TRUE(skinImage(QStringLiteral("FG")).isNull());
    EXPECT_TRUE(log.contains("cannot be decoded", "va.controls"));
    setSkinFolder({});
}

TEST(SkinResourcesTest, CommittedPicturesAreTheGeneratorsOutput)
{
    const QString folder = testsupport::testFolder() + "/drawn";
    const testsupport::ToolResult run = testsupport::runTool(QStringLiteral(VA_SKIN_ART), {folder});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList drawn = QDir(folder).entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name);
    EXPECT_EQ(drawn.size(), 2 * allNames().size());
    for (const QString& file : drawn) {
        QString name = QFileInfo(file).completeBaseName();
        const bool large = name.endsWith(QStringLiteral("@2x"));
        if (large)
            name.chop(3);
        QImage fresh = QImage(folder + "/" + file).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        fresh.setDevicePixelRatio(large ? 2 : 1);
        const QImage committed = skinImage(name, large ? 2 : 1);
        ASSERT_FALSE(committed.isNull()) << name.toStdString() << " is drawn but not in the resources";
        EXPECT_EQ(fresh, committed) << file.toStdString()
                                    << " differs from the generator's output: run resources/skin/generate.sh";
    }
}
