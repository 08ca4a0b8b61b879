#include "platform/files/AtomicFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace platform {

bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* errorText)
{
    auto fail = [errorText](const QString& text) {
        if (errorText)
            *errorText = text;
        return false;
    };
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return fail(QStringLiteral("cannot create the folder %1").arg(folder));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    if (file.write(bytes) != bytes.size()) {
        const QString text = file.errorString();
        file.cancelWriting();
        return fail(text);
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

} // namespace platform
