#include "controls/SkinImages.h"

#include "controls/Log.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <cmath>

namespace controls {

namespace {

const QString kResourceFolder = QStringLiteral(":/skin");
const QString kDoubleSuffix = QStringLiteral("@2x");

struct SkinStore {
    QString folder = kResourceFolder;
    bool indexed = false;
    QHash<QString, QString> files;       // lower-case name -> file path
    QHash<QString, QString> doubleFiles; // lower-case name -> file path of its @2x picture
    QHash<QString, QImage> loaded;       // lower-case name, with "@2x" for the large ones -> picture (null when missing)
    QSet<QString> reported;              // names whose absence was logged, the same way
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
    for (const QString& entry : entries) {
        const QString name = entry.chopped(4).toLower();
        if (name.endsWith(kDoubleSuffix))
            s.doubleFiles.insert(name.chopped(kDoubleSuffix.size()), dir.filePath(entry));
        else
            s.files.insert(name, dir.filePath(entry));
    }
    if (entries.isEmpty())
        qCWarning(lcControls) << "no skin pictures in" << s.folder;
}

QImage loadPicture(SkinStore& s, const QString& name, bool large)
{
    const QString key = name.toLower();
    const QString cacheKey = large ? key + kDoubleSuffix : key;
    if (const auto found = s.loaded.constFind(cacheKey); found != s.loaded.constEnd())
        return *found;
    index(s);
    const QHash<QString, QString>& files = large ? s.doubleFiles : s.files;
    QImage image;
    if (const auto file = files.constFind(key); file != files.constEnd()) {
        image.load(*file);
        if (image.isNull()) {
            qCWarning(lcControls) << "skin picture" << name << "cannot be decoded:" << *file;
        } else {
            image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
            // Set here rather than left to the reader's file-name rule, which an environment
            // variable can turn off.
            image.setDevicePixelRatio(large ? 2 : 1);
        }
    } else if (!s.reported.contains(cacheKey)) {
        s.reported.insert(cacheKey);
        if (large)
            qCWarning(lcControls) << "skin picture" << name << "has no @2x version; it is drawn enlarged";
        else
            qCWarning(lcControls) << "skin picture" << name << "is missing; that part is not drawn";
    }
    s.loaded.insert(cacheKey, image);
    return image;
}

} // namespace

QImage skinImage(const QString& name, qreal devicePixelRatio)
{
    SkinStore& s = store();
    if (devicePixelRatio > 1) {
        if (QImage large = loadPicture(s, name, true); !large.isNull())
            return large;
    }
    return loadPicture(s, name, false);
}

QSize logicalSize(const QImage& image)
{
    return image.deviceIndependentSize().toSize();
}

QImage deviceCanvas(QSize size, qreal devicePixelRatio)
{
    if (size.isEmpty())
        return {};
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1;
    // Rounded up, so that the device pixels cover the whole logical size at any ratio.
    QImage image(int(std::ceil(size.width() * ratio)), int(std::ceil(size.height() * ratio)),
                 QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
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
