#include "recorder/ModalRun.h"

#include <QEvent>
#include <QEventLoop>
#include <QWidget>

namespace recorder {

namespace {

// Ends the loop when the window hides, which a modal window only does when it closes.
class HideWatcher : public QObject {
public:
    explicit HideWatcher(QEventLoop& loop)
        : m_loop(loop)
    {
    }

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Hide)
            m_loop.quit();
        return false;
    }

private:
    QEventLoop& m_loop;
};

} // namespace

void runModally(QWidget& window)
{
    QEventLoop loop;
    HideWatcher watcher(loop);
    window.installEventFilter(&watcher);
    window.setWindowModality(Qt::ApplicationModal);
    window.show();
    if (window.isVisible())
        loop.exec(QEventLoop::DialogExec);
    window.removeEventFilter(&watcher);
}

} // namespace recorder
