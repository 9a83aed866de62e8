#pragma once

class QMessageBox;

// What a screen reader says of a message box as the focus lands on its
// buttons. Orca, and a web page's screen reader, read the box out as an
// alert; Windows' are given it as a window with its title, and read what it
// says only if they look into it, so there its buttons say it
// (boxspeech_windows.cpp).
void sayBoxOnFocus(QMessageBox &box);
