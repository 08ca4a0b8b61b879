#include "recorder/WindowPlacement.h"

#include "common/SettingsAccess.h"

#include <algorithm>

namespace recorder {

namespace {

SettingsAccess placementAccess(platform::SettingsStore& store)
{
    return SettingsAccess(store, QString::fromLatin1(kPlacementBaseKey), {185, 187, 187});
}

QString stateName(PlacementState state)
{
    switch (state) {
    case PlacementState::Minimized:
        return QStringLiteral("Minimized");
    case PlacementState::Maximized:
        return QStringLiteral("Maximized");
    case PlacementState::Normal:
        break;
    }
    return QStringLiteral("Normal");
}

const QString kSubKey = QString::fromLatin1(kPlacementSubKey);

} // namespace

int SaveWindowPlacement(platform::SettingsStore& store, const WindowPlacement& placement)
{
    SettingsAccess access = placementAccess(store);
    const std::pair<const char*, int32_t> values[] = {{"Left Position", placement.left},
                                                      {"Top Position", placement.top},
                                                      {"Width", placement.width},
                                                      {"Height", placement.height}};
    for (const auto& [name, value] : values) {
        if (const int code = access.writeInteger(kSubKey, QString::fromLatin1(name), value))
            return code;
    }
    return access.writeString(kSubKey, QStringLiteral("State"), stateName(placement.state));
}

int RestoreWindowPlacement(platform::SettingsStore& store, RestoredPlacement& placement)
{
    const QString key = placementAccess(store).keyPath(kSubKey);
    if (!store.keyExists(key) && !store.createKey(key))
        return 185;
    const SettingsAccess access = placementAccess(store);
    QString state;
    // An unreadable state counts as a normal window, whose geometry is then read.
    access.readString(kSubKey, QStringLiteral("State"), state);
    placement = {};
    if (state.compare(QLatin1String("Maximized"), Qt::CaseInsensitive) == 0) {
        placement.maximized = true;
        return 0;
    }
    const std::pair<const char*, std::optional<int32_t>*> fields[] = {{"Left Position", &placement.left},
                                                                      {"Top Position", &placement.top},
                                                                      {"Width", &placement.width},
                                                                      {"Height", &placement.height}};
    for (const auto& [name, field] : fields) {
        int32_t value = 0;
        if (const int code = access.readInteger(kSubKey, QString::fromLatin1(name), value))
            return code;
        *field = value;
    }
    return 0;
}

QRect placeOnScreens(const QRect& window, const QList<QRect>& screens)
{
    if (screens.isEmpty())
        return window;
    QRect best = screens.first();
    qint64 bestArea = 0;
    for (const QRect& screen : screens) {
        if (screen.contains(window))
            return window;
        const QRect overlap = screen.intersected(window);
        const qint64 area = qint64(overlap.width()) * overlap.height();
        if (area > bestArea) {
            bestArea = area;
            best = screen;
        }
    }
    const QSize size = window.size().boundedTo(best.size());
    const int left = std::clamp(window.left(), best.left(), best.left() + best.width() - size.width());
    const int top = std::clamp(window.top(), best.top(), best.top() + best.height() - size.height());
    return QRect(QPoint(left, top), size);
}

} // namespace recorder
