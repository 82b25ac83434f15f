#include "Cursors.h"

#include <QBitmap>

#include <array>
#include <cmath>
#include <cstdint>
#include <initializer_list>

namespace sevrana {

namespace {

constexpr int kSize = 32;
enum Pixel : std::uint8_t { kClear, kWhite, kBlack };
using Grid = std::array<std::array<Pixel, kSize>, kSize>;  // [y][x]

void Black(Grid& g, int x, int y)
{
    if (x >= 0 && y >= 0 && x < kSize && y < kSize) g[y][x] = kBlack;
}

/// A glyph of rows of '#' with its top left corner at x, y.
void Glyph(Grid& g, int x, int y, std::initializer_list<const char*> rows)
{
    for (const char* row : rows) {
        for (int k = 0; row[k] != '\0'; ++k)
            if (row[k] == '#') Black(g, x + k, y);
        ++y;
    }
}

/// A white rim around every black pixel, so the cursor shows on dark and light alike.
void Rim(Grid& g)
{
    const Grid black = g;
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            if (black[y][x] == kBlack) continue;
            for (int dy = -1; dy <= 1 && g[y][x] == kClear; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx >= 0 && ny >= 0 && nx < kSize && ny < kSize && black[ny][nx] == kBlack) {
                        g[y][x] = kWhite;
                        break;
                    }
                }
        }
}

Grid MarkerPicture(int marker)
{
    Grid g{};
    for (int y = 0; y < kSize; ++y) {  // the marker line, under which the marker is placed
        Black(g, 7, y);
        Black(g, 8, y);
    }
    for (int x = 1; x <= 14; ++x) Black(g, x, 16);  // the double arrow across it
    for (int d = 1; d <= 2; ++d) {
        Black(g, 1 + d, 16 - d);
        Black(g, 1 + d, 16 + d);
        Black(g, 14 - d, 16 - d);
        Black(g, 14 - d, 16 + d);
    }
    Glyph(g, 11, 2, {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"});
    if (marker == 1)
        Glyph(g, 18, 2, {".#.", "##.", ".#.", ".#.", ".#.", ".#.", "###"});
    else
        Glyph(g, 18, 2, {".##.", "#..#", "...#", "..#.", ".#..", "#...", "####"});
    Rim(g);
    return g;
}

Grid ZoomPicture()
{
    Grid g{};
    // The lens: a ring about the hot spot; the handle runs down to the right.
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const double r = std::hypot(x - 9, y - 8);
            if (r >= 5.5 && r < 7.2) Black(g, x, y);
        }
    for (int k = 0; k <= 8; ++k)
        for (int t = 0; t <= 2; ++t) Black(g, 14 + k + t / 2, 13 + k + (t + 1) / 2);
    Rim(g);
    return g;
}

Grid Picture(int id)
{
    switch (id) {
    case kCursorMarker1: return MarkerPicture(1);
    case kCursorMarker2: return MarkerPicture(2);
    default: return ZoomPicture();
    }
}

}  // namespace

QPoint ChannelCursorHotSpot(int id) { return id == kCursorZoom ? QPoint(9, 8) : QPoint(0, 0); }

QImage ChannelCursorImage(int id)
{
    const Grid g = Picture(id);
    QImage image(kSize, kSize, QImage::Format_ARGB32);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
            image.setPixel(x, y, g[y][x] == kBlack ? qRgba(0, 0, 0, 255)
                                 : g[y][x] == kWhite ? qRgba(255, 255, 255, 255)
                                                     : qRgba(0, 0, 0, 0));
    return image;
}

QCursor ChannelCursor(int id)
{
    const Grid g = Picture(id);
    // Two bitmaps, one bit a pixel, lowest bit leftmost: which pixels are black, and which are shown at all.
    std::array<uchar, kSize * kSize / 8> bits{}, mask{};
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const auto byte = static_cast<std::size_t>(y * kSize / 8 + x / 8);
            const auto bit = static_cast<uchar>(1u << (x % 8));
            if (g[y][x] != kClear) mask[byte] |= bit;
            if (g[y][x] == kBlack) bits[byte] |= bit;
        }
    const QPoint hot = ChannelCursorHotSpot(id);
    return QCursor(QBitmap::fromData(QSize(kSize, kSize), bits.data(), QImage::Format_MonoLSB),
                   QBitmap::fromData(QSize(kSize, kSize), mask.data(), QImage::Format_MonoLSB), hot.x(), hot.y());
}

}  // namespace sevrana
