#include "FileDrop.h"

#include <QDir>
#include <QFileInfo>

namespace sevrana {

namespace {

const QString kRefusal = QStringLiteral(
    "Drop one COMTRADE recording on the window: its configuration file (.cfg), its data file (.dat) or its "
    "combined file (.cff).");

/// The configuration file beside a data file: the same name with ".cfg" in whichever
/// letter case is there (".cfg" when none is).
QString ConfigBeside(const QFileInfo& data)
{
    const QString base = data.completeBaseName();
    const QDir folder = data.absoluteDir();
    const QString wanted = base + QStringLiteral(".cfg");
    for (const QString& name : folder.entryList(QDir::Files))
        if (name.compare(wanted, Qt::CaseInsensitive) == 0) return folder.filePath(name);
    return folder.filePath(wanted);
}

}  // namespace

DropChoice ChooseDroppedRecording(const QList<QUrl>& urls)
{
    if (urls.size() != 1 || !urls.front().isLocalFile()) return {QString(), kRefusal};
    const QFileInfo file(urls.front().toLocalFile());
    if (!file.isFile()) return {QString(), kRefusal};
    const QString suffix = file.suffix();
    if (suffix.compare(QLatin1String("cfg"), Qt::CaseInsensitive) == 0 ||
        suffix.compare(QLatin1String("cff"), Qt::CaseInsensitive) == 0)
        return {file.filePath(), QString()};
    if (suffix.compare(QLatin1String("dat"), Qt::CaseInsensitive) == 0) return {ConfigBeside(file), QString()};
    return {QString(), kRefusal};
}

}  // namespace sevrana
