#include "countdownpace.h"

void CountdownPace::restart()
{ }

int CountdownPace::secondsDue()
{
    return 1;
}
