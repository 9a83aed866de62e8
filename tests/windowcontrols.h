#pragma once

// The window as the window tests find it: built before a game, with
// scripted boxes and draws, and its controls found by name.

#include "scripteddialogs.h"
#include "scriptedrandom.h"
#include "tavola.h"

#include <QTemporaryDir>
#include <QWidget>

// A window with its controls made, as before a game.
struct BuiltWindow
{
    BuiltWindow() { window.build(); }

    ScriptedDialogs dialogs;
    ScriptedRandom random;
    QTemporaryDir dataDir;
    Tavola window {dialogs, random, dataDir.path()};
};

// A control by the name the game knows it by and, in a control array, its index.
inline QWidget *control(const QWidget &window, const QString &name, int index = -1)
{
    const QList<QWidget *> found = window.findChildren<QWidget *>(name);
    for (QWidget *widget : found) {
        if (index < 0 || widget->property("index") == QVariant(index))
            return widget;
    }
    return nullptr;
}

template<typename T>
T *control(const QWidget &window, const QString &name, int index = -1)
{
    return qobject_cast<T *>(control(window, name, index));
}
