#include "announcer.h"

namespace announcer {

bool heard()
{
    return false;
}

void say(const QString &)
{ }

} // namespace announcer
