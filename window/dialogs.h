#pragma once

#include <QString>

class QWidget;

// Every modal box the game shows goes through here, so tests can script them.
class Dialogs
{
public:
    virtual ~Dialogs() = default;

    // A one-line input box with OK and Cancel and an empty default; Cancel gives the empty text.
    virtual QString askText(QWidget *parent, const QString &title, const QString &prompt) = 0;

    // A message box with an OK button only.
    virtual void inform(QWidget *parent, const QString &title, const QString &text) = 0;

    // Yes and No, the question-mark icon, No the default; true for Yes.
    virtual bool askYesNo(QWidget *parent, const QString &title, const QString &text) = 0;
};

// The real boxes: QInputDialog and QMessageBox.
class QtDialogs : public Dialogs
{
public:
    QString askText(QWidget *parent, const QString &title, const QString &prompt) override;
    void inform(QWidget *parent, const QString &title, const QString &text) override;
    bool askYesNo(QWidget *parent, const QString &title, const QString &text) override;
};
