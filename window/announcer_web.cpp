#include "announcer.h"

#include <emscripten/val.h>

namespace announcer {

bool heard()
{
    return true;
}

void say(const QString &text)
{
    // The page's own (web/a11y.js); a page without it hears nothing.
    const emscripten::val announce = emscripten::val::global("ponderineAnnounce");
    if (announce.isUndefined())
        return;
    announce(text.toStdString());
}

} // namespace announcer
