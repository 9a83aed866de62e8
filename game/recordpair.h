#pragma once

#include "recorderror.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

// What each platform offers the record store: where the record lives, and
// its two files (the score's and the holder's) replaced as one pair. The
// files are read as plain files everywhere (in a browser, the tab's copy).
// recordpair_disk.cpp on a desktop, recordpair_web.cpp in a browser.
namespace recordpair {

// The folder the record lives in, ending in a separator: ponderine in
// %APPDATA% on Windows, $XDG_DATA_HOME/ponderine/ (~/.local/share/ponderine/) on
// another desktop, /ponderine/ in a browser; empty when the system cannot say.
QString dataFolder();

// Where an older record may wait, first first: the pupil's VirtualStore copy
// of the Windows directory, then the Windows directory itself, on Windows;
// none elsewhere. Read once when the data folder holds no record yet.
QStringList carryOverFolders();

// Finishes or undoes a save cut short, so the pair read is one saved together.
RecordError recover(const QString &scorePath, const QString &namePath);

// Asked while no other game can save, and the files read what is stored:
// whether to go on. A false with *error filled means the stored record
// could not be read.
using StillLower = std::function<bool(RecordError *error)>;

// Puts `score` and `name` in the files as one when `stillLower` says so: a
// reader, even after a power cut, finds the old pair or the new one. Fails
// with InUse when another game's save does not end in a few seconds.
OfferResult replace(const QString &scorePath, const QString &namePath, const QByteArray &score, const QByteArray &name,
                    const StillLower &stillLower);

} // namespace recordpair
