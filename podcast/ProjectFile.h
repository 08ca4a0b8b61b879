#pragma once
// The podcast project file (".pdi"): an initialisation file holding one feed, its host and its
// numbered episodes (layout in ProjectFileKeys.h).
//
// Every function reads the file afresh and, when it changes it, writes the whole new text at once
// through a temporary file renamed over the old one: a save that fails leaves the old file as it
// was. Files are written in UTF-8; older files in Windows-1252 are read as such. A file that exists
// but cannot be read is never written over. Failures are returned as the builder's message ids.
#include "podcast/PodcastRecord.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace podcast {

enum PdiResult : int {
    PdiOk = 0,
    PdiCannotCreate = 1007, // "Cannot create the specified file."
    PdiInvalidFileName = 1022, // "Please Specify a Valid File name."
    PdiCannotOpen = 1028, // "Cannot open the specified file."
};

// The message of a result; empty for PdiOk.
QString pdiMessageText(int result);

// The feed, host and settings sections into record. Categories are replaced only when the file
// counts some. A failure leaves record as it was.
int ReadPDISettings(const QString& path, PodcastRecord& record);
// Episode n into the record's current episode; n <= 0 reads the unnumbered layout of version-1
// files. Also sets the audio kind from the path's extension and the file size from the audio file
// (0 when it cannot be read). A failure leaves record as it was.
int ReadPDIItem(const QString& path, int episode, PodcastRecord& record);
// The settings as ReadPDISettings does, and episodes 1 to TotalItems from the same one reading of
// the file, each read as ReadPDIItem reads it into the record left by the episode before. A count
// past what the file can hold is cut to its number of sections. A failure leaves both as they were.
int ReadPDIProject(const QString& path, PodcastRecord& record, QList<PodcastRecord>& episodes);

// The settings sections with PDIVersion 3; the categories only when the record has a list.
int WritePDISettings(const QString& path, const PodcastRecord& record);
// The record's current episode as episode n.
int WritePDIItem(const QString& path, const PodcastRecord& record, int episode);
// The settings and the current episode as episode n in one save.
int WritePDIProject(const QString& path, const PodcastRecord& record, int episode);
// A fresh project from the record holding one episode (TotalItems becomes 1 in the record).
// Whatever was in the file before is replaced.
int CreateNewPDIFile(const QString& path, PodcastRecord& record);
// A fresh project in one save: the record's settings with TotalItems the number of episodes, and
// their item fields as episodes 1, 2, ... Whatever was in the file before is replaced.
int CreatePDIProject(const QString& path, const PodcastRecord& record, const QList<PodcastRecord>& episodes);
// Saves the project open at sourcePath under targetPath with all its episodes, the settings and
// the current episode n taken from the record. targetPath's earlier content is replaced, never
// merged; sourcePath is left as it was.
int SavePDIProjectAs(const QString& sourcePath, const QString& targetPath, const PodcastRecord& record, int episode);

// Marks the episodes uploaded; each text is an episode number as in the section names ("01").
int MarkPDIItemsUploaded(const QString& path, const QStringList& episodes);
// ItemsInformation/TotalItems (1 when missing).
int GetPDIItemCount(const QString& path, qint32& count);
int ReadPDIItemString(const QString& path, const QString& key, int episode, QString& value);
int ReadPDIItemBool(const QString& path, const QString& key, int episode, bool& value);
int ReadPDIFeedPath(const QString& path, QString& feedPath);
// 1 without a Settings section, 2 without PDIVersion, else PDIVersion. On failure version is 2.
int GetPDIVersion(const QString& path, int& version);
// Adds an empty episode after the last one in one save: the project counts one more, and the record
// holds the project's settings with the new episode's fields cleared. episode is the new number.
int AddPDIItem(const QString& path, PodcastRecord& record, int& episode);
// Removes episode n and moves the later episodes down by one.
int DeletePDIItem(const QString& path, int episode);

} // namespace podcast
