#include "games.h"

#include "recordpair.h"
#include "tavola.h"

int playGames(Dialogs &dialogs, RandomSource &random)
{
    Tavola window(dialogs, random, recordpair::dataFolder(), recordpair::carryOverFolders());
    return runGame(window);
}
