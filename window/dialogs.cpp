#include "dialogs.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

QString QtDialogs::askText(QWidget *parent, const QString &title, const QString &prompt)
{
    return QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, QString());
}

void QtDialogs::inform(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

bool QtDialogs::askYesNo(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}
