#include "controls/SkinImages.h"

#include "controls/Log.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace controls {

namespace {

const QString kResourceFolder = QStringLiteral(":/skin");

struct SkinStore {
    QString folder = kResourceFolder;
    bool indexed = false;
    QHash<QString, QString> files; // lower-case name -> file path
    QHash<QString, QImage> loaded; // lower-case name -> picture (null when missing)
    QSet<QString> reported;        // names whose absence was logged
};

SkinStore& store()
{
    static SkinStore instance;
    return instance;
}

void index(SkinStore& s)
{
    if (s.indexed)
        return;
    s.indexed = true;
    const QDir dir(s.folder);
    const QStringList entries = dir.entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name);
    for (const QString& entry : entries)
        s.files.insert(entry.chopped(4).toLower(), dir.filePath(entry));
    if (entries.isEmpty())
        qCWarning(lcControls) << "no skin pictures in" << s.folder;
}

} // namespace

QImage skinImage(const QString& name)
{
    SkinStore& s = store();
    const QString key = name.toLower();
    if (const auto found = s.loaded.constFind(key); found != s.loaded.constEnd())
        return *found;
    index(s);
    QImage image;
    if (const auto file = s.files.constFind(key); file != s.files.constEnd()) {
        image.load(*file);
        if (image.isNull())
            qCWarning(lcControls) << "skin picture" << name << "cannot be decoded:" << *file;
        else
            image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    } else if (!s.reported.contains(key)) {
        s.reported.insert(key);
        qCWarning(lcControls) << "skin picture" << name << "is missing; that part is not drawn";
    }
    s.loaded.insert(key, image);
    return image;
}

QStringList skinImageNames()
{
    SkinStore& s = store();
    index(s);
    QStringList names;
    for (const QString& path : std::as_const(s.files))
        names << QFileInfo(path).completeBaseName();
    names.sort(Qt::CaseInsensitive);
    return names;
}

void setSkinFolder(const QString& folder)
{
    SkinStore& s = store();
    s = SkinStore{};
    s.folder = folder.isEmpty() ? kResourceFolder : folder;
}

} // namespace controls
