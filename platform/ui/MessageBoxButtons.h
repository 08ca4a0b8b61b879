#pragma once
// What the MB_ flags of a message box mean, independent of any toolkit: the buttons in the order
// they appear, the one that has the focus, and the answer when the box is dismissed without a
// button (Esc or the window's close).

#include <QList>

namespace platform {

// The ID answers of the buttons, left to right. Button sets without a meaning here show OK.
QList<int> messageBoxAnswers(unsigned flags);
// The answer of the default button: MB_DEFBUTTON2 and MB_DEFBUTTON3 pick the second and third
// button; a default past the last button falls back to the first.
int defaultAnswer(unsigned flags);
// Cancel where the box has one, otherwise its only or negative button (OK, No, Abort).
int dismissAnswer(unsigned flags);

} // namespace platform
