#pragma once
// What a drop of files on the main window opens: one recording, named by its
// configuration file or by its data file; anything else is refused.

#include <QList>
#include <QString>
#include <QUrl>

namespace sevrana {

struct DropChoice {
    QString configPath;  ///< the configuration file to open; empty when refused
    QString refusal;     ///< what to tell the user when refused
};

/// The configuration file a drop opens: a ".cfg" or a combined ".cff" itself, or
/// the configuration file beside a ".dat" (any letter case). Several files,
/// folders, remote files and other kinds are refused.
DropChoice ChooseDroppedRecording(const QList<QUrl>& urls);

}  // namespace sevrana
