#include "controls/Mnemonic.h"

#include <QKeySequence>
#include <QWidget>

namespace controls {

Mnemonic::Mnemonic(QWidget* owner, std::function<void()> activate)
    : m_owner(owner)
    , m_activate(std::move(activate))
{
}

Mnemonic::~Mnemonic()
{
    delete m_shortcut;
}

void Mnemonic::setCaption(const QString& caption)
{
    const QKeySequence sequence = QKeySequence::mnemonic(caption);
    if (sequence.isEmpty()) {
        delete m_shortcut;
        return;
    }
    if (!m_shortcut) {
        m_shortcut = new QShortcut(m_owner);
        QObject::connect(m_shortcut, &QShortcut::activated, m_owner, [this] {
            const QWidget* parent = m_owner->parentWidget();
            if (m_activating || !m_owner->isEnabled() || !m_owner->isVisible() || (parent && !parent->isVisible()))
                return;
            m_activating = true;
            m_activate();
            m_activating = false;
        });
    }
    m_shortcut->setKey(sequence);
}

} // namespace controls
