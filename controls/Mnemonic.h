#pragma once
// The Alt+letter accelerator of a control's caption ("&Record" gives Alt+R). It acts only while
// the control is enabled and it and its parent are visible, and never while an earlier activation
// still runs: an action that opens a modal window must not let the key act again meanwhile.

#include <QPointer>
#include <QShortcut>
#include <QString>

#include <functional>

class QWidget;

namespace controls {

class Mnemonic {
public:
    Mnemonic(QWidget* owner, std::function<void()> activate);
    ~Mnemonic();
    Mnemonic(const Mnemonic&) = delete;
    Mnemonic& operator=(const Mnemonic&) = delete;

    // Takes the accelerator from the caption; a caption without one removes it.
    void setCaption(const QString& caption);

private:
    QWidget* m_owner;
    std::function<void()> m_activate;
    QPointer<QShortcut> m_shortcut;
    bool m_activating = false;
};

} // namespace controls
