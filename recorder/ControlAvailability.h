#pragma once
// Controls of the recording window whose command is not built yet. The window keeps them disabled
// whatever the control states say, and tells why in their tooltips; the state table itself stays
// as it is, so a command becomes available by leaving this list.
#include "recorder/SetControlState.h"

#include <QString>

namespace recorder {

// True when the control's command does nothing yet.
bool isUnavailable(Control control);
// Why an unavailable control is off, for its tooltip; empty for an available one.
QString unavailableReason(Control control);

} // namespace recorder
