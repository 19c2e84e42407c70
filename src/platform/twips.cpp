#include "platform/twips.h"

#include <algorithm>
#include <cmath>

qint64 Twips::toPixels(double twips)
{
    const double pixels = std::round(twips / kPerPixel);
    if (std::isnan(pixels))
        return 0;
    const double limit = static_cast<double>(kLimit);
    return static_cast<qint64>(std::clamp(pixels, -limit, limit));
}
