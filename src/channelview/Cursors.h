#pragma once
// The channel windows' mouse cursors, drawn here in two colours on 32 x 32
// pixels: 101 and 102 place marker M1 or M2 (a two-pixel line seven pixels right
// of the hot spot, where the marker lands, crossed by a double arrow, with the
// marker's name above), 103 drags a zoom rectangle (a magnifying glass whose
// lens centre, 9 right and 8 down, is the hot spot).

#include <QCursor>
#include <QImage>

namespace sevrana {

inline constexpr int kCursorMarker1 = 101;
inline constexpr int kCursorMarker2 = 102;
inline constexpr int kCursorZoom = 103;

/// The cursor's picture: black and white pixels, transparent elsewhere.
QImage ChannelCursorImage(int id);
QPoint ChannelCursorHotSpot(int id);
/// The cursor itself.
QCursor ChannelCursor(int id);

}  // namespace sevrana
