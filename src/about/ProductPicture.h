#pragma once
// The program's mark: a red trace whose amplitude jumps at a fault, on a dark
// screen. The tool bar and the About box show it.

#include <QPixmap>

namespace sevrana {

QPixmap ProductPicture(int width, int height);

}  // namespace sevrana
