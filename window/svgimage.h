#pragma once

#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

// A drawing rendered into images, one for each size asked (an empty size
// meaning the drawing's own), at the given device pixel ratio. None if the
// file is not a drawing. Images, not pixmaps: the pictures are drawn this
// way when the program is built as well as when it runs.
QList<QImage> renderSvg(const QString &fileName, const QList<QSize> &sizes, qreal devicePixelRatio);
