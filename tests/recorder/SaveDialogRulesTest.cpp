// The rules of the song information and WAV-to-MP3 dialogs without their windows: what the fields
// take from a record and give back, and which encoders, rates and preset the MP3 dialog offers.
#include "recorder/ID3InfoRules.h"
#include "recorder/WavToMp3Rules.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace recorder;
using platform::codecs::emptySongInfo;
using platform::codecs::setSongInfoText;
using platform::codecs::songInfoText;

namespace {

TEST(ID3InfoRules, GenreList)
{
    const QStringList& names = id3GenreNames();
    ASSERT_EQ(names.size(), 148);
    const std::pair<int, const char*> named[] = {
        {0, "Blues"}, {12, "Other"}, {13, "Pop"}, {67, "Psychadelic"}, {141, "Christian Rock "}, {147, "Synthpop"},
    };
    for (const auto& [index, name] : named)
        EXPECT_EQ(names[index], QString::fromLatin1(name)) << index;
    EXPECT_EQ(names.indexOf("Podcast"), -1);
}

TEST(ID3InfoRules, FieldsFromRecord)
{
    const struct {
        const char* genre;
        const char* track;
        const char* shownGenre;
        int genreIndex;
        int shownTrack;
    } cases[] = {
        {"Other", "7", "Other", 12, 7},
        {"My Show", "", "My Show", -1, 1},
        {"", "3/12", "Podcast", -1, 3},
        {"Christian Rock", "x", "Christian Rock", -1, 1},
        {"Christian Rock ", "100", "Christian Rock ", 141, 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.genre);
        TID3InfoRecord record = emptySongInfo();
        setSongInfoText(record.title, QString::fromUtf8("Folge 1 — Größe"));
        setSongInfoText(record.genre, QString::fromLatin1(c.genre));
        setSongInfoText(record.track, QString::fromLatin1(c.track));
        const ID3InfoFields fields = fieldsFromRecord(&record, 2026);
        EXPECT_EQ(fields.title, QString::fromUtf8("Folge 1 — Größe"));
        EXPECT_EQ(fields.year, QString()); // the record's, even when empty
        EXPECT_EQ(fields.genre, QString::fromLatin1(c.shownGenre));
        EXPECT_EQ(genreIndexOf(fields.genre), c.genreIndex);
        EXPECT_EQ(fields.track, c.shownTrack);
    }
    const ID3InfoFields fresh = fieldsFromRecord(nullptr, 2026);
    EXPECT_EQ(fresh.genre, "Blues");
    EXPECT_EQ(fresh.year, "2026");
    EXPECT_EQ(fresh.track, 1);
    EXPECT_TRUE(fresh.title.isEmpty());
}

TEST(ID3InfoRules, RecordFromFieldsTrimsAndCuts)
{
    const std::pair<int, bool> tracks[] = {{-1, false}, {0, true}, {100, true}, {101, false}};
    for (const auto& [track, valid] : tracks)
        EXPECT_EQ(trackNumberValid(track), valid) << track;

    ID3InfoFields fields;
    fields.title = "  Talk  ";
    fields.genre = "Christian Rock ";
    fields.track = 0;
    fields.year = "2026";
    // 130 two-byte characters: the 259 bytes of the field end on a whole character.
    fields.artist = QString(130, QChar(0x00e9));
    TID3InfoRecord record = emptySongInfo();
    recordFromFields(fields, record);
    EXPECT_EQ(songInfoText(record.title), "Talk");
    EXPECT_EQ(songInfoText(record.genre), "Christian Rock");
    EXPECT_EQ(songInfoText(record.track), "0");
    EXPECT_EQ(songInfoText(record.year), "2026");
    EXPECT_EQ(songInfoText(record.artist), QString(129, QChar(0x00e9)));
}

TEST(WavToMp3Rules, CodecChoices)
{
    const auto upTo = [](int highest) { return [highest](int kbps) { return kbps >= 32 && kbps <= highest; }; };
    const auto none = [](int) { return false; };
    const struct {
        const char* what;
        bool lame;
        std::function<bool(int)> lameAccepts, codecAccepts;
        QStringList names;
        int lameCount, codecCount, shownLame;
    } cases[] = {
        {"44.1 kHz stereo, LAME only", true, upTo(320), none, {kLameCodecName}, 14, 0, 8},
        {"22.05 kHz, LAME only", true, upTo(160), none, {kLameCodecName}, 10, 0, 8},
        {"8 kHz, tops out below 128", true, upTo(64), none, {kLameCodecName}, 5, 0, 4},
        {"both", true, upTo(320), upTo(128), {kLameCodecName, kSystemCodecName}, 14, 9, 8},
        {"the system codec alone", false, upTo(320), upTo(96), {kSystemCodecName}, 0, 7, -1},
        {"neither", false, upTo(320), none, {}, 0, 0, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Mp3CodecChoices choices = buildMp3CodecChoices(c.lame, c.lameAccepts, c.codecAccepts);
        EXPECT_EQ(choices.codecNames, c.names);
        EXPECT_EQ(choices.lameRates.size(), c.lameCount);
        EXPECT_EQ(choices.codecRates.size(), c.codecCount);
        EXPECT_EQ(shownRateIndex(choices.lameRates), c.shownLame);
        EXPECT_EQ(&ratesOfCodec(choices, "LAME ENCODER"), &choices.lameRates);
        EXPECT_EQ(&ratesOfCodec(choices, kSystemCodecName), &choices.codecRates);
    }
}

TEST(WavToMp3Rules, SaveModeCodec)
{
    EXPECT_EQ(saveModeCodec({}, true), kLameCodecName);
    EXPECT_EQ(saveModeCodec({}, false), QString());
    EXPECT_EQ(saveModeCodec(kSystemCodecName, true), kSystemCodecName);
}

} // namespace
