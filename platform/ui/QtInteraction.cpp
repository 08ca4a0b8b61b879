#include "platform/ui/QtInteraction.h"

#include "platform/base/Log.h"
#include "platform/ui/MessageBoxButtons.h"
#include "platform/ui/Messages.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>

namespace platform {

namespace {

struct AnswerButton {
    int answer;
    QMessageBox::StandardButton button;
};

constexpr AnswerButton kAnswerButtons[] = {
    {IDOK, QMessageBox::Ok},         {IDCANCEL, QMessageBox::Cancel}, {IDABORT, QMessageBox::Abort},
    {IDRETRY, QMessageBox::Retry},   {IDIGNORE, QMessageBox::Ignore}, {IDYES, QMessageBox::Yes},
    {IDNO, QMessageBox::No},
};

// "*.wav" -> "*.[wW][aA][vV]"; "*.*" -> "*" (every file, with or without an extension).
QString caseFreePattern(const QString& pattern)
{
    if (pattern == QLatin1String("*.*"))
        return QStringLiteral("*");
    QString result;
    for (const QChar c : pattern) {
        const QChar lower = c.toLower();
        const QChar upper = c.toUpper();
        if (c.isLetter() && c.unicode() < 128 && lower != upper)
            result += u'[' + QString(lower) + QString(upper) + u']';
        else
            result += c;
    }
    return result;
}

// The part of a filter made by toQtNameFilters that the dialog shows: all but the patterns.
QString shownFilterName(const QString& filter)
{
    return filter.left(filter.lastIndexOf(QLatin1String(" ("))).simplified();
}

// The 1-based index of the dialog's filter that selected names, 0 for none. Depending on the Qt
// version and the dialog, the selected filter comes back whole or as the description it shows.
int indexOfNameFilter(const QFileDialog& dialog, const QString& selected)
{
    const QStringList filters = dialog.nameFilters();
    for (qsizetype i = 0; i < filters.size(); ++i) {
        if (filters[i] == selected || shownFilterName(filters[i]) == selected.simplified())
            return int(i) + 1;
    }
    return 0;
}

} // namespace

QMessageBox::StandardButton standardButtonForAnswer(int answer)
{
    for (const AnswerButton& entry : kAnswerButtons) {
        if (entry.answer == answer)
            return entry.button;
    }
    return QMessageBox::NoButton;
}

int answerForStandardButton(QMessageBox::StandardButton button)
{
    for (const AnswerButton& entry : kAnswerButtons) {
        if (entry.button == button)
            return entry.answer;
    }
    return IDCANCEL;
}

QMessageBox::Icon messageBoxIcon(unsigned flags)
{
    switch (flags & MB_ICONMASK) {
    case MB_ICONERROR: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONWARNING: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

void setUpMessageBox(QMessageBox& box, const QString& text, const QString& caption, unsigned flags)
{
    box.setWindowTitle(caption);
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setIcon(messageBoxIcon(flags));
    for (const int answer : messageBoxAnswers(flags))
        box.addButton(standardButtonForAnswer(answer));
    box.setDefaultButton(standardButtonForAnswer(defaultAnswer(flags)));
    box.setEscapeButton(box.button(standardButtonForAnswer(dismissAnswer(flags))));
}

int messageBoxAnswer(const QMessageBox& box, unsigned flags)
{
    if (QAbstractButton* clicked = box.clickedButton())
        return answerForStandardButton(box.standardButton(clicked));
    return dismissAnswer(flags);
}

QStringList toQtNameFilters(const QString& filter)
{
    QStringList result;
    const QStringList parts = filter.split(u'|');
    // A description without a pattern part (a trailing '|', an odd count) is not a filter.
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(u';')) {
            if (!pattern.trimmed().isEmpty())
                patterns += caseFreePattern(pattern.trimmed());
        }
        if (patterns.isEmpty())
            patterns += QStringLiteral("*");
        const QString shown = description.isEmpty() ? parts[i + 1].trimmed() : description;
        result += shown + QStringLiteral(" (") + patterns.join(u' ') + u')';
    }
    return result;
}

QString defaultSuffixForFilter(const QString& filter, int filterIndex, const QString& defaultExtension)
{
    if (defaultExtension.isEmpty() || filterIndex < 1)
        return defaultExtension;
    const QStringList parts = filter.split(u'|');
    const qsizetype patternPart = 2 * qsizetype(filterIndex) - 1;
    if (patternPart >= parts.size())
        return defaultExtension;
    const QString first = parts[patternPart].section(u';', 0, 0).trimmed();
    if (!first.startsWith(QLatin1String("*.")))
        return defaultExtension;
    const QString extension = first.mid(2);
    const bool single = !extension.isEmpty() && !extension.contains(u'*') && !extension.contains(u'?')
                     && !extension.contains(u'[') && !extension.contains(u'.');
    return single ? extension : defaultExtension;
}

void setUpFileDialog(QFileDialog& dialog, const FileDialogRequest& request, bool save)
{
    dialog.setWindowTitle(request.title);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (!save && request.multiSelect)
        dialog.setFileMode(QFileDialog::ExistingFiles);
    else
        dialog.setFileMode(request.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(save && request.overwritePrompt));
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);

    const QStringList filters = toQtNameFilters(request.filter);
    int filterIndex = 0;
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const bool inRange = request.filterIndex >= 1 && request.filterIndex <= filters.size();
        filterIndex = inRange ? request.filterIndex : 1;
        dialog.selectNameFilter(filters[filterIndex - 1]);
    }
    if (!request.initialFolder.isEmpty())
        dialog.setDirectory(request.initialFolder);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    // A bare name typed under "Wave Files" must come back as a WAV name, whatever the request's
    // own default extension is.
    dialog.setDefaultSuffix(defaultSuffixForFilter(request.filter, filterIndex, request.defaultExtension));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog, filter = request.filter, fallback = request.defaultExtension](const QString& selected) {
                         dialog.setDefaultSuffix(
                             defaultSuffixForFilter(filter, indexOfNameFilter(dialog, selected), fallback));
                     });
}

FileDialogResult fileDialogResult(const QFileDialog& dialog, bool accepted)
{
    FileDialogResult result;
    result.accepted = accepted;
    if (accepted)
        result.files = dialog.selectedFiles();
    if (const int index = indexOfNameFilter(dialog, dialog.selectedNameFilter()))
        result.filterIndex = index;
    return result;
}

QtInteraction::QtInteraction(QWidget* parent) : m_parent(parent) {}

QWidget* QtInteraction::dialogParent() const
{
    return m_parent ? m_parent.data() : QApplication::activeWindow();
}

int QtInteraction::messageBox(const QString& text, const QString& caption, unsigned flags)
{
    if (!isGuiThread()) {
        qCCritical(lcPlatform).noquote() << "message box refused outside the GUI thread:" << text;
        return dismissAnswer(flags);
    }
    QMessageBox box(dialogParent());
    setUpMessageBox(box, text, caption, flags);
    box.exec();
    return messageBoxAnswer(box, flags);
}

FileDialogResult QtInteraction::openFile(const FileDialogRequest& request)
{
    return runFileDialog(request, false);
}

FileDialogResult QtInteraction::saveFile(const FileDialogRequest& request)
{
    return runFileDialog(request, true);
}

FileDialogResult QtInteraction::runFileDialog(const FileDialogRequest& request, bool save)
{
    if (!isGuiThread()) {
        qCCritical(lcPlatform).noquote() << "file dialog refused outside the GUI thread:" << request.title;
        return {};
    }
    QFileDialog dialog(dialogParent());
    setUpFileDialog(dialog, request, save);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    return fileDialogResult(dialog, accepted);
}

std::optional<QString> QtInteraction::chooseFolder(const QString& title, const QString& startFolder)
{
    if (!isGuiThread()) {
        qCCritical(lcPlatform).noquote() << "folder dialog refused outside the GUI thread:" << title;
        return std::nullopt;
    }
    QFileDialog dialog(dialogParent(), title, startFolder);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

} // namespace platform
