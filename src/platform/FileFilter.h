#pragma once
// Open-dialog filters are written "description|patterns|description|patterns"
// throughout the program; Qt's file dialog wants "description (patterns);;...".

#include <QString>

namespace sevrana {

/// "COMTRADE file (*.CFG)|*.cfg" -> "COMTRADE file (*.CFG *.cfg)". The patterns in
/// a description's parentheses and those after the bar are all offered, each once,
/// so that the dialog lists the files whatever the case of their extension.
QString QtFileFilter(const QString& barFilter);

}  // namespace sevrana
