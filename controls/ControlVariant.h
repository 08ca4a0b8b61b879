#pragma once
// The two programs' versions of a shared control. The recorder's skinned controls lack some of the
// editor's keyboard handling and events; each control says which.

namespace controls {

enum class ControlVariant { Recorder, Editor };

} // namespace controls
