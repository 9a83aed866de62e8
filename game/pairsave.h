#pragma once

#include "recorderror.h"

#include <QByteArray>
#include <QString>

// How a new score and holder replace the pair as one. Both new contents are
// written and flushed beside their files ("tvk.txt.ponderine-new",
// "ntvk.txt.ponderine-new"), then marked complete ("tvk.txt.ponderine-commit"),
// then put in place score first, each file replaced in one step (the old
// content or the new, never a truncated file). A save cut short before the
// mark leaves the old pair; one cut short after it is finished by the next
// start, as often as it takes. Only the game holding the record's lock runs these.
class PairSave
{
public:
    PairSave(QString scorePath, QString namePath, QString markerPath);

    RecordError save(const QByteArray &score, const QByteArray &name) const;

    // Whether a save was cut short here: some working file of it is left.
    bool cutShort() const;
    // Finishes a marked save, undoes any other, and removes its working files.
    RecordError finish() const;

private:
    QString m_scorePath;
    QString m_namePath;
    QString m_markerPath;
};
