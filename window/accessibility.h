#pragma once

// What a screen reader hears of the window, in one place: the names and
// hints of the controls, the labels it follows as they change, the controls
// it takes for still text or pictures, and what it says as the focus lands
// on the answer box (the question) or on "Nuovo calcolo" (the verdict);
// and, where the screen reader cannot follow the window's focus (a web
// page), what it is told instead.

#include <QString>

class QKeySequence;
class QLabel;
class QWidget;

namespace accessibility {

// The control's name; a hint, when given, is also shown on hover.
void describe(QWidget *widget, const QString &name, const QString &hint = QString());

// A label the screen reader follows: it hears what the label is, `role`,
// then what it says, now and after each textChanged().
void follow(QLabel *label, const QString &role, const QString &hint = QString());
// Tells screen readers the new text of a followed label; others are left alone.
void textChanged(QLabel *label);

// A control that does nothing when pressed or clicked: heard as a still
// picture (a label) or text called `name`, with no role or hint that invites
// a press. What a sighted pupil sees stays.
void makeStill(QWidget *widget, const QString &name);

// What a screen reader says as the focus next lands on the control; where
// it cannot follow the focus, it is told at once.
void sayOnFocus(QWidget *widget, const QString &text);

// Tells the screen reader `text` at once, where it cannot follow the focus
// or the boxes by itself (announcer.h); elsewhere nothing.
void announce(const QString &text);

// There, `key` in the label's window tells it what the label is and says,
// as a followed label is heard ("Tempo restante: 00:14:53"); elsewhere the
// screen reader reviews the window itself, and the key does nothing.
void sayOnKey(QLabel *label, const QKeySequence &key);

// Drops what assistive tools were told of the control: they meet it as a
// new object, its role and name as they are now, without the focus.
void presentAnew(QWidget *widget);

} // namespace accessibility
