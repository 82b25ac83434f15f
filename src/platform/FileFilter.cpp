#include "FileFilter.h"

#include <QRegularExpression>
#include <QStringList>

namespace sevrana {

QString QtFileFilter(const QString& barFilter)
{
    const QStringList parts = barFilter.split(QLatin1Char('|'));
    static const QRegularExpression separators(QStringLiteral("[;\\s]+"));
    QStringList filters;
    // A trailing description without patterns has nothing to offer and is left out.
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        QStringList patterns;
        const qsizetype open = description.indexOf(QLatin1Char('('));
        const qsizetype close = description.lastIndexOf(QLatin1Char(')'));
        if (open >= 0 && close > open) {
            patterns = description.mid(open + 1, close - open - 1).split(separators, Qt::SkipEmptyParts);
            description = description.left(open).trimmed();
        }
        for (const QString& pattern : parts[i + 1].split(separators, Qt::SkipEmptyParts))
            if (!patterns.contains(pattern)) patterns << pattern;
        filters << description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

}  // namespace sevrana
