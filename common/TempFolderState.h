#pragma once
// The temporary folder of a program's preferences: the folder the program started with (current,
// which the audio engine got), the folder to be used from the next start (pending, written at the
// next save) and the folder that the preferences window's field holds and that GetTempPath
// returns. Worker threads ask for the folder (temporary names, the peak cache's fallback), so
// every call is safe from any thread. Folders end with "/".

#include <QMutex>
#include <QString>

class TempFolderState {
public:
    // After loading: all three become folder.
    void reset(const QString& folder);

    QString current() const;
    QString pending() const;
    QString field() const;

    // The preferences window is shown: the field shows the folder in use again. A folder chosen for
    // the next start stays pending.
    void showCurrent();
    // The field and the current folder become folder; the pending one (what a save writes) stays.
    void fallBack(const QString& folder);
    // The field's folder; when that folder does not exist, it falls back to defaultFolder first.
    QString fieldOrDefault(const QString& defaultFolder);
    // The window's OK with an existing folder: it goes into the field and becomes the pending
    // folder. True when it differs from the current folder (it takes effect at the next start).
    bool choose(const QString& folder);
    // The folder a save writes: the pending one, else the current one.
    QString folderToSave() const;

private:
    mutable QMutex m_mutex;
    QString m_current;
    QString m_pending;
    QString m_field;
};
