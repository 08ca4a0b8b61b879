// The skin's pictures: every name a control loads exists in the resources and decodes, names match
// without regard to case, the pictures that are drawn side by side fit each other, a missing
// picture is a null image that is logged once, and the committed pictures are what the generator
// draws.
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
    EXPECT_EQ(drawn.size(), allNames().size());
    for (const QString& file : drawn) {
        const QString name = QFileInfo(file).completeBaseName();
        const QImage fresh = QImage(folder + "/" + file).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        const QImage committed = skinImage(name);
        ASSERT_FALSE(committed.isNull()) << name.toStdString() << " is drawn but not in the resources";
        EXPECT_EQ(fresh, committed) << name.toStdString()
                                    << " differs from the generator's output: run resources/skin/generate.sh";
    }
}
