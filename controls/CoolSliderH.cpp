#include "controls/CoolSliderH.h"

namespace controls {

TCoolSliderH::TCoolSliderH(ControlVariant variant, QWidget* parent)
    : CoolSliderBase(Qt::Horizontal, variant, parent)
{
}

void TCoolSliderH::setSelStart(int value)
{
    if (m_range.setSelStart(value))
        update();
}

void TCoolSliderH::setSelEnd(int value)
{
    if (m_range.setSelEnd(value))
        update();
}

void TCoolSliderH::setSelection(int start, int end)
{
    if (m_range.setSelection(start, end))
        update();
}

} // namespace controls
