#pragma once
// What the builder checks before it publishes a podcast, and the list of files it sends, without
// widgets. The checks run in a fixed order: the first stop shows its message and sends the user to
// the field; a question answered No does the same without a message of its own.
#include "podcast/PodcastRecord.h"
#include "podcast/XvqPages.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace podcast {

struct UploadCheck {
    enum Kind { Stop, Question };
    Kind kind = Stop;
    // Stop: the message id; Question: the text.
    int messageId = 0;
    QString question;
    XvqPage page = XvqPage::HostSelection;
    // The field to focus: the first of these names that exists and is enabled.
    QStringList fields;
};

// The checks that fail for the record, in the order they are made. The stops all come before the
// questions, so the caller shows the first stop and nothing else, or asks the questions in turn.
QList<UploadCheck> FailingUploadChecks(const PodcastRecord& record);

// The files to send, in order: the chosen episodes' audio files, the feed, the page and, for a
// podcast with iTunes tags, the feed's artwork; empty paths are left out.
QStringList BuildUploadList(const QStringList& chosenAudio, const PodcastRecord& record);

// The chosen episodes whose audio file reached the server.
QStringList DeliveredEpisodes(const QStringList& episodes, const QStringList& audioPaths,
                              const QStringList& delivered);

} // namespace podcast
