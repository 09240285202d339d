#pragma once
// How the dialogs' input widgets take the operator's input: a box whose typing is limited
// without cutting what the program writes into it, and a list or bar that the mouse wheel
// moves only while it has the keyboard focus.

class QLineEdit;
class QWidget;

// Limits what the operator can type into box to length characters. The program's own
// texts are shown whole: a value longer than the limit is not cut short.
void LimitTyping(QLineEdit* box, int length);

// The wheel over widget changes it only while it has the keyboard focus; otherwise the
// wheel passes on to the widgets around it, and pointing with the wheel gives no focus.
void TakeWheelOnlyWithFocus(QWidget* widget);
