#include "controls/CoolSliderV.h"

namespace controls {

TCoolSliderV::TCoolSliderV(ControlVariant variant, QWidget* parent)
    : CoolSliderBase(Qt::Vertical, variant, parent)
{
}

} // namespace controls
