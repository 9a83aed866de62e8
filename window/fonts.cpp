#include "fonts.h"

#include <QFont>
#include <QStringList>

void setupFonts()
{
    // Liberation is metric-compatible with Arial and Times New Roman, so the
    // captions fit the boxes they were measured for.
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"));
    // No free face is as heavy; the controls that use it also ask for bold.
    QFont::insertSubstitution(QStringLiteral("Arial Black"), QStringLiteral("DejaVu Sans"));
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
}
