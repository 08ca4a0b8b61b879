#pragma once
// The interaction seam on Qt: QMessageBox for message boxes, QFileDialog for file and folder
// dialogs. The translations between the seam's terms (MB_ flags, ID answers, filters as the windows
// write them) and Qt's are plain functions, so they are checked without showing anything.

#include "platform/ui/Interaction.h"

#include <QMessageBox>
#include <QPointer>
#include <QStringList>

class QFileDialog;
class QWidget;

namespace platform {

class QtInteraction : public Interaction {
public:
    // Boxes and dialogs are modal to the parent; without one, to the active window.
    explicit QtInteraction(QWidget* parent = nullptr);
    void setParentWidget(QWidget* parent) { m_parent = parent; }

    int messageBox(const QString& text, const QString& caption, unsigned flags) override;
    FileDialogResult openFile(const FileDialogRequest& request) override;
    FileDialogResult saveFile(const FileDialogRequest& request) override;
    std::optional<QString> chooseFolder(const QString& title, const QString& startFolder) override;

private:
    QWidget* dialogParent() const;
    FileDialogResult runFileDialog(const FileDialogRequest& request, bool save);

    QPointer<QWidget> m_parent;
};

QMessageBox::StandardButton standardButtonForAnswer(int answer);
// The ID answer of a standard button; IDCANCEL for a button with no ID.
int answerForStandardButton(QMessageBox::StandardButton button);
QMessageBox::Icon messageBoxIcon(unsigned flags);

// Gives the box its caption, plain text (never read as rich text), icon, buttons, default button
// and the button that Esc and the window's close stand for.
void setUpMessageBox(QMessageBox& box, const QString& text, const QString& caption, unsigned flags);
// The answer of a box that has been shown.
int messageBoxAnswer(const QMessageBox& box, unsigned flags);

// Turns filters as the windows write them ("Description|pattern;pattern|...", blanks around the
// parts allowed) into Qt name filters, one per description in the same order. Patterns match
// without regard to case, as they did where the filters come from (also in desktop dialogs whose
// patterns are case-sensitive), and "*.*" matches every file. The description is shown as written;
// the patterns Qt reads are the last parenthesised part, which the dialog hides.
QStringList toQtNameFilters(const QString& filter);

// The extension a name typed without one gets while the 1-based filter is selected: that of the
// filter's first pattern ("*.wav" gives "wav"); defaultExtension when the pattern names no single
// extension or the index no filter; and none when defaultExtension is empty (nothing is ever added).
QString defaultSuffixForFilter(const QString& filter, int filterIndex, const QString& defaultExtension);

// Also keeps the dialog's default suffix following the filter the user selects.
void setUpFileDialog(QFileDialog& dialog, const FileDialogRequest& request, bool save);
// What a file dialog that has been shown gives back: the files when accepted, and the 1-based
// index of the filter it ended with.
FileDialogResult fileDialogResult(const QFileDialog& dialog, bool accepted);

} // namespace platform
