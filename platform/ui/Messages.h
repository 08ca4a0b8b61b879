#pragma once
// The message routines of a program: texts by id from its string table, shown through the
// interaction seam under the program's caption. One object per program, passed to whatever shows
// messages.
//
// An id without text shows nothing (mapping a failure to such an id silences it on purpose), but
// the silent failure is still logged. Boxes are shown from the GUI thread only; a call from another
// thread is refused and logged.

#include "platform/ui/Interaction.h"
#include "platform/ui/MessageFormat.h"
#include "platform/ui/StringTable.h"

#include <QString>

namespace platform {

class Messages {
public:
    Messages(StringTable table, Interaction& interaction, QString caption);

    // The text of the id (formatted when arguments are given) in an error box with an OK button.
    void ShowErrorMessage(int id, const MessageArgs& args = {}) const;
    // The same with the caller's buttons and icon.
    void ShowMessageById(int id, const MessageArgs& args, unsigned flags) const;
    // A ready text; an empty caption is the program's. Returns the ID of the answer.
    int ShowMessageBox(const QString& text, const QString& caption, unsigned flags) const;

    // The id's text as ShowMessageById would show it; empty when the id has no text.
    QString messageText(int id, const MessageArgs& args = {}) const;

    const StringTable& table() const { return m_table; }
    Interaction& interaction() const { return m_interaction; }
    const QString& caption() const { return m_caption; }

private:
    StringTable m_table;
    Interaction& m_interaction;
    QString m_caption;
};

// True on the thread of the application object, the only one allowed to show windows. False
// before the application object exists.
bool isGuiThread();

} // namespace platform
