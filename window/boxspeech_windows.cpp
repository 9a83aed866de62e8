#include "boxspeech.h"

#include <QAbstractButton>
#include <QMessageBox>

void sayBoxOnFocus(QMessageBox &box)
{
    // As the answer box says the question: in the description a screen
    // reader says after the button's name.
    for (QAbstractButton *button : box.buttons())
        button->setAccessibleDescription(box.text());
}
