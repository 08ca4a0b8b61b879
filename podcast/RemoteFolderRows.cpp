#include "podcast/RemoteFolderRows.h"

#include <algorithm>

namespace podcast {

QList<RemoteFolderRow> RemoteFolderRows(const QString& folder, const QList<FtpEntry>& entries)
{
    QList<RemoteFolderRow> rows;
    for (const FtpEntry& entry : entries) {
        if (entry.name.isEmpty() || entry.name == QLatin1String(".") || entry.name == QLatin1String(".."))
            continue;
        if (entry.type == FtpEntryType::Folder)
            rows.append({entry.name, RemoteFolderRow::Folder, {}});
        else
            rows.append({entry.name, RemoteFolderRow::File, QString::number(entry.size)});
    }
    std::stable_sort(rows.begin(), rows.end(), [](const RemoteFolderRow& a, const RemoteFolderRow& b) {
        const int order = a.caption.compare(b.caption, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a.caption < b.caption;
    });
    if (!folder.isEmpty() && folder != QLatin1String("/"))
        rows.prepend({QStringLiteral("[..]"), RemoteFolderRow::Parent, {}});
    return rows;
}

} // namespace podcast
