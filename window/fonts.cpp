#include "fonts.h"

#include <QFontDatabase>
#include <QHash>
#include <QSet>
#include <QStringList>

QString installedFamily(const QString &designFamily)
{
    // Resolved here, not as QFont substitutions: a family that is not
    // installed, or has substitutes, makes Qt ask the font matcher for a
    // whole list of fallbacks for each face and style of the layout, on the
    // way to the window's first frame (docs/performance.md).
    static const QHash<QString, QStringList> substitutes {
        // Liberation is metric-compatible with Arial and Times New Roman, so
        // the captions fit the boxes they were measured for.
        {QStringLiteral("Arial"), {QStringLiteral("Liberation Sans")}},
        {QStringLiteral("Times New Roman"), {QStringLiteral("Liberation Serif")}},
        // No free face is as heavy; the controls that use it also ask for bold.
        {QStringLiteral("Arial Black"), {QStringLiteral("DejaVu Sans")}},
        {QStringLiteral("MS Sans Serif"), {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")}},
    };
    static const QSet<QString> installed = [] {
        const QStringList families = QFontDatabase::families();
        return QSet<QString>(families.begin(), families.end());
    }();

#ifdef Q_OS_WIN
    // Windows keeps "MS Sans Serif" as a bitmap face in a few pixel sizes
    // only, and draws it at any other size, as it does in its own dialogs,
    // with the outline face made to its metrics: so does the game.
    if (designFamily == QLatin1String("MS Sans Serif") && installed.contains(QStringLiteral("Microsoft Sans Serif")))
        return QStringLiteral("Microsoft Sans Serif");
#endif
    if (installed.contains(designFamily))
        return designFamily;
    for (const QString &substitute : substitutes.value(designFamily))
        if (installed.contains(substitute))
            return substitute;
    return designFamily;
}
