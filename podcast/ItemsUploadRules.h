#pragma once
// What the episode chooser of the upload lists and what it hands back, without widgets: one row per
// episode of the project, ticked unless the episode was uploaded already; the ticked rows give their
// episode numbers as the project's sections name them ("01") and their audio files.
#include <QList>
#include <QString>
#include <QStringList>

namespace podcast {

struct UploadChoiceRow {
    QString audioPath;
    QString title;
    QString description;
    bool ticked = true;
};

// The rows of the project's episodes, in episode order. On failure (the project's message id)
// rows is left empty, so that an unreadable project lists nothing.
int ReadUploadChoiceRows(const QString& projectPath, QList<UploadChoiceRow>& rows);
// Episode n as the project's sections number it: two digits at least ("01", "10", "100").
QString EpisodeNumberText(int episode);
bool AnyUploadChosen(const QList<UploadChoiceRow>& rows);
// Appends the number and the audio path of every ticked row, in row order.
void AppendChosenEpisodes(const QList<UploadChoiceRow>& rows, QStringList& numbers, QStringList& audioPaths);

} // namespace podcast
