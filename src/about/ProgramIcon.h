#pragma once
// The program's icon for the window manager, the task bar and every title bar:
// the same picture the desktop's icon theme is given (desktop/sevrana.svg).

#include <QIcon>

namespace sevrana {

QIcon ProgramIcon();

}  // namespace sevrana
