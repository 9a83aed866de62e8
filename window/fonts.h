#pragma once

// The window asks for the fonts its layout was drawn with (Arial, Times New
// Roman, Arial Black, MS Sans Serif). Call once, before the window is built,
// to map them to installed fonts of the same metrics; the controls keep the
// names they ask for.
void setupFonts();
