#include "games.h"

#include "recordstore.h"
#include "tavola.h"

int playGames(Dialogs &dialogs, RandomSource &random)
{
    Tavola window(dialogs, random, defaultDataDir(), defaultCarryOverDirs());
    return runGame(window);
}
