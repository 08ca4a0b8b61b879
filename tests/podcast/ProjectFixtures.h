#pragma once
// A filled podcast record and comparisons of what the project file keeps of it.
#include "podcast/PodcastRecord.h"

#include <gtest/gtest.h>

#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace projectfixtures {

inline QString u8(const char* text)
{
    return QString::fromUtf8(text);
}

// Every value the settings sections keep, none of them at its default.
inline podcast::PodcastRecord sampleSettings()
{
    podcast::PodcastRecord r;
    r.PodcastType = 1;
    r.LastActivePage = 6;
    r.FeedName = "weekly.xml";
    r.AudioFileName = "episode3.mp3";
    r.HTMLFileName = "weekly.html";
    r.UseID3Tag = true;
    r.HostName = "My Host";
    r.UserName = "anna";
    r.LoginName = "anna.ftp";
    r.UploadPath = "/pod/cast";
    r.PortNo = 2121;
    r.HostType = podcast::FtpHostType::Custom;
    r.FTPAddress = "ftp.example.org";
    r.WebsiteLink = "http://example.org/pod/";
    r.FeedGenerated = true;
    r.FeedFilePath = u8("/home/anna/Podcasts/weekly.xml");
    r.FeedURL = "http://example.org/pod/weekly.xml";
    r.FeedTitle = u8("Anna's \"Weekly\" <News> & Views 🎙️");
    r.FeedDescription = u8("Line one = first\r\nLine two: שלום");
    r.FeedDateTime = "12/24/2026 18:30:00";
    r.FeedSubtitle = "Sub";
    r.FeedKeywords = "news, talk";
    r.FeedOwner = u8("Anna Ünal");
    r.FeedOwnerEmail = "anna@example.org";
    r.FeedSummary = u8("Summary\r\nwith C:\\news path");
    r.FeedBlock = "No";
    r.FeedExplicit = "Yes";
    r.Categories = QStringList{"Arts", "Technology", "Comedy"};
    r.SubCategories = QStringList{"Design", "", "Stand-Up"};
    r.FeedImagePath = "/home/anna/art.jpg";
    r.FeedImageLink = "http://example.org/pod/art.jpg";
    r.SeriesWebMaster = "web@example.org";
    r.SeriesCopyright = u8("© 2026");
    r.SeriesEditor = "ed@example.org";
    r.SeriesLanguage = "English (United States): en-us";
    r.SeriesTTL = 60;
    r.TotalItems = 3;
    r.HTMLFileLink = "http://example.org/pod/weekly.html";
    r.HTMLFilePath = "/home/anna/Podcasts/weekly.html";
    return r;
}

// The current episode's values of episode n, distinct per episode.
inline void setEpisode(podcast::PodcastRecord& r, int n, const QString& audioFolder)
{
    const QString tag = QString::number(n);
    r.AudioFilePath = audioFolder + "/episode" + tag + ".mp3";
    r.ItemURL = "http://example.org/pod/episode" + tag + ".mp3";
    r.ItemTitle = u8("Episode ") + tag + u8(": \"Tom & Jerry\" <live> مرحبا 😀");
    r.ItemDescription = "Part " + tag + "\r\nx=y";
    r.ItemDateTime = "01/0" + tag + "/2026 10:00:00";
    r.ItemUploaded = n % 2 == 1;
    r.ItemGuid = "guid-" + tag;
    r.ItemAuthor = "Author " + tag;
    r.ItemSubtitle = "Subtitle " + tag;
    r.ItemKeywords = "k" + tag;
    r.ItemSummary = "Summary " + tag + "\r\n\\e stays";
    r.ItemDuration = "00:0" + tag + ":30";
    r.ItemBlock = "No";
    r.ItemExplicit = n == 2 ? "Yes" : "No";
}

#define PROJECT_EXPECT_FIELD(field) EXPECT_EQ(actual.field, expected.field) << #field

inline void expectSameSettings(const podcast::PodcastRecord& actual, const podcast::PodcastRecord& expected)
{
    PROJECT_EXPECT_FIELD(PodcastType);
    PROJECT_EXPECT_FIELD(LastActivePage);
    PROJECT_EXPECT_FIELD(FeedName);
    PROJECT_EXPECT_FIELD(AudioFileName);
    PROJECT_EXPECT_FIELD(HTMLFileName);
    PROJECT_EXPECT_FIELD(UseID3Tag);
    PROJECT_EXPECT_FIELD(HostName);
    PROJECT_EXPECT_FIELD(UserName);
    PROJECT_EXPECT_FIELD(LoginName);
    PROJECT_EXPECT_FIELD(UploadPath);
    PROJECT_EXPECT_FIELD(PortNo);
    PROJECT_EXPECT_FIELD(HostType);
    PROJECT_EXPECT_FIELD(FTPAddress);
    PROJECT_EXPECT_FIELD(WebsiteLink);
    PROJECT_EXPECT_FIELD(FeedGenerated);
    PROJECT_EXPECT_FIELD(FeedFilePath);
    PROJECT_EXPECT_FIELD(FeedURL);
    PROJECT_EXPECT_FIELD(FeedTitle);
    PROJECT_EXPECT_FIELD(FeedDescription);
    PROJECT_EXPECT_FIELD(FeedDateTime);
    PROJECT_EXPECT_FIELD(FeedSubtitle);
    PROJECT_EXPECT_FIELD(FeedKeywords);
    PROJECT_EXPECT_FIELD(FeedOwner);
    PROJECT_EXPECT_FIELD(FeedOwnerEmail);
    PROJECT_EXPECT_FIELD(FeedSummary);
    PROJECT_EXPECT_FIELD(FeedBlock);
    PROJECT_EXPECT_FIELD(FeedExplicit);
    PROJECT_EXPECT_FIELD(Categories);
    PROJECT_EXPECT_FIELD(SubCategories);
    PROJECT_EXPECT_FIELD(FeedImagePath);
    PROJECT_EXPECT_FIELD(FeedImageLink);
    PROJECT_EXPECT_FIELD(SeriesWebMaster);
    PROJECT_EXPECT_FIELD(SeriesCopyright);
    PROJECT_EXPECT_FIELD(SeriesEditor);
    PROJECT_EXPECT_FIELD(SeriesLanguage);
    PROJECT_EXPECT_FIELD(SeriesTTL);
    PROJECT_EXPECT_FIELD(TotalItems);
    PROJECT_EXPECT_FIELD(HTMLFileLink);
    PROJECT_EXPECT_FIELD(HTMLFilePath);
}

inline void expectSameEpisode(const podcast::PodcastRecord& actual, const podcast::PodcastRecord& expected)
{
    PROJECT_EXPECT_FIELD(AudioFilePath);
    PROJECT_EXPECT_FIELD(ItemURL);
    PROJECT_EXPECT_FIELD(ItemTitle);
    PROJECT_EXPECT_FIELD(ItemDescription);
    PROJECT_EXPECT_FIELD(ItemDateTime);
    PROJECT_EXPECT_FIELD(ItemUploaded);
    PROJECT_EXPECT_FIELD(ItemGuid);
    PROJECT_EXPECT_FIELD(ItemAuthor);
    PROJECT_EXPECT_FIELD(ItemSubtitle);
    PROJECT_EXPECT_FIELD(ItemKeywords);
    PROJECT_EXPECT_FIELD(ItemSummary);
    PROJECT_EXPECT_FIELD(ItemDuration);
    PROJECT_EXPECT_FIELD(ItemBlock);
    PROJECT_EXPECT_FIELD(ItemExplicit);
}

#undef PROJECT_EXPECT_FIELD

} // namespace projectfixtures
