#pragma once
// Runs a top-level window that is not a dialog modally: it is shown blocking input to every other
// window of the program, and the call returns once the window has closed (a close it refuses keeps
// it open and the call waiting).

class QWidget;

namespace recorder {

void runModally(QWidget& window);

} // namespace recorder
