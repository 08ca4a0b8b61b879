#include "controls/Overview.h"

#include <QResizeEvent>

namespace controls {

TQzv32Overview::TQzv32Overview(QWidget* parent)
    : TQzv32WaveDisplay(parent)
    , m_frame(new TQzv32OViewFrame(this))
{
    setShowCaret(false);
    setEnableKeyboardSupport(false);
    setEnableMouseSupport(false);
    m_frame->setGeometry(0, -10, 1, 1);
    m_frame->hide();
    connect(m_frame, &TQzv32OViewFrame::OnPosSizeChange, this, &TQzv32Overview::OnFramePosSizeChange);
}

int TQzv32Overview::OpenWaveFile(const QString& fileName)
{
    m_frame->setGeometry(0, -kFrameOverhang, width(), height() + 2 * kFrameOverhang);
    m_frame->show();
    return TQzv32WaveDisplay::OpenWaveFile(fileName);
}

void TQzv32Overview::CloseWave()
{
    TQzv32WaveDisplay::CloseWave();
    m_frame->hide();
}

void TQzv32Overview::resizeEvent(QResizeEvent* event)
{
    TQzv32WaveDisplay::resizeEvent(event);
    // The strip shows the whole file at any width (a plain display keeps its zoom when narrowed).
    if (event->size().width() != event->oldSize().width() && !viewImage().isNull())
        DrawView(MaxZoomLevel(), 0);
    // The frame keeps reaching past the strip's top and bottom; its left and width are the owner's.
    if (!m_frame->isHidden() && event->size().height() != event->oldSize().height())
        m_frame->setGeometry(m_frame->x(), -kFrameOverhang, m_frame->width(), height() + 2 * kFrameOverhang);
}

} // namespace controls
