#pragma once

#include <QString>

// Where a message for the pupil's screen reader goes when no control of the
// window carries it. On the desktop nowhere: the screen reader follows the
// focus and the boxes itself (announcer_desktop.cpp). In a web page, which
// shows a screen reader only Qt's silent copies of the controls, the page's
// live region says it (announcer_web.cpp, web/a11y.js).
namespace announcer {

// Whether anything hears say().
bool heard();

void say(const QString &text);

} // namespace announcer
