#pragma once
// The one seam through which logic asks the user anything: message boxes, questions, file and
// folder dialogs. Objects that need it get it passed in; the programs pass the Qt implementation
// and tests a scripted one that checks every prompt.

#include <QString>
#include <QStringList>

#include <optional>

namespace platform {

// Message-box flags and answers keep their historical numbers, because callers are written against
// those numbers (an error box is flags 16, a Yes/No question answers 6 or 7).
inline constexpr unsigned MB_OK = 0x0;
inline constexpr unsigned MB_OKCANCEL = 0x1;
inline constexpr unsigned MB_ABORTRETRYIGNORE = 0x2;
inline constexpr unsigned MB_YESNOCANCEL = 0x3;
inline constexpr unsigned MB_YESNO = 0x4;
inline constexpr unsigned MB_RETRYCANCEL = 0x5;
inline constexpr unsigned MB_BUTTONMASK = 0xF;
inline constexpr unsigned MB_ICONERROR = 0x10;
inline constexpr unsigned MB_ICONQUESTION = 0x20;
inline constexpr unsigned MB_ICONWARNING = 0x30;
inline constexpr unsigned MB_ICONINFORMATION = 0x40;
inline constexpr unsigned MB_ICONMASK = 0xF0;
inline constexpr unsigned MB_DEFBUTTON2 = 0x100;
inline constexpr unsigned MB_DEFBUTTON3 = 0x200;
inline constexpr unsigned MB_DEFMASK = 0xF00;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

struct FileDialogRequest {
    QString title;
    // Filters as the windows write them: "MP3 Files (*.mp3)|*.mp3|All Files (*.*)|*.*".
    QString filter;
    int filterIndex = 1; // 1-based, as in the filter text
    QString initialFolder;
    QString fileName;
    QString defaultExtension; // without the dot; added when the typed name has none
    bool fileMustExist = false;
    bool overwritePrompt = false;
    bool multiSelect = false;
};

struct FileDialogResult {
    bool accepted = false;
    QStringList files;   // absolute paths; one unless multiSelect
    int filterIndex = 1; // the filter the user ended with, 1-based
};

class Interaction {
public:
    virtual ~Interaction() = default;

    // Modal box; returns the ID of the button pressed (IDCANCEL when the box is closed otherwise).
    virtual int messageBox(const QString& text, const QString& caption, unsigned flags) = 0;
    virtual FileDialogResult openFile(const FileDialogRequest& request) = 0;
    virtual FileDialogResult saveFile(const FileDialogRequest& request) = 0;
    // The chosen folder, or nothing when the user cancelled.
    virtual std::optional<QString> chooseFolder(const QString& title, const QString& startFolder) = 0;
};

} // namespace platform
