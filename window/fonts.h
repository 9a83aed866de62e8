#pragma once

#include <QString>

// The window asks for the fonts its layout was drawn with (Arial, Times New
// Roman, Arial Black, MS Sans Serif). Each is used when installed; otherwise
// an installed face of the same metrics takes its place (Liberation Sans for
// Arial and MS Sans Serif, Liberation Serif for Times New Roman, DejaVu Sans
// for Arial Black and where Liberation is missing), or the design's name is
// kept and left to the font matcher. On Windows, where all four are the system's own,
// MS Sans Serif is drawn with its outline twin, Microsoft Sans Serif.
QString installedFamily(const QString &designFamily);
