#include "podcast/ItemsUploadRules.h"

#include "podcast/ProjectFile.h"

#include <algorithm>

namespace podcast {

int ReadUploadChoiceRows(const QString& projectPath, QList<UploadChoiceRow>& rows)
{
    rows.clear();
    PodcastRecord record;
    QList<PodcastRecord> episodes;
    if (const int result = ReadPDIProject(projectPath, record, episodes); result != PdiOk)
        return result;
    rows.reserve(episodes.size());
    for (const PodcastRecord& episode : std::as_const(episodes))
        rows << UploadChoiceRow{episode.AudioFilePath, episode.ItemTitle, episode.ItemDescription, !episode.ItemUploaded};
    return PdiOk;
}

QString EpisodeNumberText(int episode)
{
    return QStringLiteral("%1").arg(episode, 2, 10, QLatin1Char('0'));
}

bool AnyUploadChosen(const QList<UploadChoiceRow>& rows)
{
    return std::any_of(rows.begin(), rows.end(), [](const UploadChoiceRow& row) { return row.ticked; });
}

void AppendChosenEpisodes(const QList<UploadChoiceRow>& rows, QStringList& numbers, QStringList& audioPaths)
{
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (!rows[i].ticked)
            continue;
        numbers << EpisodeNumberText(int(i + 1));
        audioPaths << rows[i].audioPath;
    }
}

} // namespace podcast
