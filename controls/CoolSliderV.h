#pragma once
// TCoolSliderV, the skinned vertical slider (the recorder's fader): Min at the top, Max at the
// bottom. See CoolSliderBase for its events in each program.

#include "controls/CoolSliderBase.h"

namespace controls {

class TCoolSliderV : public CoolSliderBase {
    Q_OBJECT

public:
    explicit TCoolSliderV(ControlVariant variant, QWidget* parent = nullptr);
};

} // namespace controls
