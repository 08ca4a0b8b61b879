#pragma once
// Opening what the builder's feed-file field names: a project (".pdi") of any version, or a feed
// (".xml") that gets a project of its own beside it. Older projects are brought to the current
// layout first. A project that is replaced is written beside it under a temporary name and put in
// its place only when complete, so a failure leaves the old file as it was.
#include <QString>

namespace podcast {

struct OpenedProject {
    int result = 0;      // a PdiResult
    QString projectPath; // the project to use when result is PdiOk
};

// A feed opens the project of the same name with "pdi" in place of its extension, imported from the
// feed when there is none yet. A one-line link file ("[Feed File]=path") becomes a project imported
// from the feed it names; a project without PDIVersion is converted. A missing file, a link to a
// missing feed and a feed that cannot be read give PdiCannotOpen.
OpenedProject OpenProjectOrFeed(const QString& path);

// Rewrites a project of the second layout (no PDIVersion): settings from the old file, episodes
// from its feed when that holds more than one item (the feed's last item becomes episode 1, as
// an import makes it), else the old file's single episode.
int ConvertVersion2Project(const QString& path);

} // namespace podcast
