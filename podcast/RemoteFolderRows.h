#pragma once
// The rows the remote folder browser shows for a listing, without widgets: the way up first (not
// at the top folder), then the entries sorted by name; the server's "." and ".." are left out.
#include "podcast/FtpTransport.h"

#include <QList>
#include <QString>

namespace podcast {

struct RemoteFolderRow {
    enum Image { File = 0, Folder = 1, Parent = 2 };
    QString caption;
    Image image = File;
    QString size; // bytes, for files only
    bool operator==(const RemoteFolderRow&) const = default;
};

QList<RemoteFolderRow> RemoteFolderRows(const QString& folder, const QList<FtpEntry>& entries);

} // namespace podcast
