#pragma once

#include <QtGlobal>

// Window and control geometry is kept in twips, 15 to a logical pixel (1/1440
// inch at 96 dpi). Stored values come from a file anyone can edit, so the
// conversions work in 64 bits and never overflow.
namespace Twips {
inline constexpr int kPerPixel = 15;

constexpr qint64 fromPixels(qint64 pixels)
{
    return pixels * kPerPixel;
}

// A design value in whole pixels, cut towards zero as the designs were laid out.
constexpr int designPixels(int twips)
{
    return twips / kPerPixel;
}

// The nearest whole pixel of a stored value; anything beyond +-kLimit pixels
// (far off every screen) is held there, NaN counts as 0.
inline constexpr qint64 kLimit = qint64(1) << 40;
qint64 toPixels(double twips);
} // namespace Twips
