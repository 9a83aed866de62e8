#include "boxspeech.h"

void sayBoxOnFocus(QMessageBox &)
{
    // Read out as an alert, with its text: said once is enough.
}
