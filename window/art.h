#pragma once

#include <QCursor>
#include <QIcon>
#include <QList>
#include <QPixmap>
#include <QString>

// The pictures compiled into the program from window/art/, by file name
// ("duck.svg"). They are drawings, rendered on demand at the given device
// pixel ratio so they stay sharp on high-density screens.

// The picture at its natural size; a null pixmap if there is no such picture.
QPixmap artPixmap(const QString &name, qreal devicePixelRatio);

// The window's and the application's icon, in the sizes desktops ask for.
QIcon applicationIcon();
QList<QSize> applicationIconSizes();

// The pointer over the window: a duck's head.
QCursor duckCursor(qreal devicePixelRatio);

// The icon-shaped pointer (a small square in a square), hot spot in the middle.
QCursor iconPointer(qreal devicePixelRatio);
