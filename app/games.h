#pragma once

class Dialogs;
class RandomSource;

// Plays the program's games. On the desktop one, whose end ends the program;
// in a web page one after another, each from the name prompt, as for the
// next pupil at the same computer, since a page cannot close its tab
// (games_desktop.cpp, games_web.cpp).
int playGames(Dialogs &dialogs, RandomSource &random);
