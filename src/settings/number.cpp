#include "settings/number.h"

#include <QString>

#include <cmath>
#include <limits>

double leadingNumber(QStringView value)
{
    qsizetype i = 0;
    const qsizetype n = value.size();
    while (i < n && (value[i] == QLatin1Char(' ') || value[i] == QLatin1Char('\t')))
        ++i;
    double sign = 1.0;
    if (i < n && (value[i] == QLatin1Char('+') || value[i] == QLatin1Char('-'))) {
        if (value[i] == QLatin1Char('-'))
            sign = -1.0;
        ++i;
    }
    double result = 0.0;
    bool digits = false;
    while (i < n && value[i] >= QLatin1Char('0') && value[i] <= QLatin1Char('9')) {
        result = result * 10.0 + (value[i].unicode() - u'0');
        digits = true;
        ++i;
    }
    if (i < n && value[i] == QLatin1Char('.')) {
        ++i;
        double scale = 0.1;
        while (i < n && value[i] >= QLatin1Char('0') && value[i] <= QLatin1Char('9')) {
            result += (value[i].unicode() - u'0') * scale;
            scale /= 10.0;
            digits = true;
            ++i;
        }
    }
    if (!digits)
        return 0.0;
    if (i < n && (value[i] == QLatin1Char('e') || value[i] == QLatin1Char('E'))) {
        qsizetype j = i + 1;
        int expSign = 1;
        if (j < n && (value[j] == QLatin1Char('+') || value[j] == QLatin1Char('-'))) {
            expSign = value[j] == QLatin1Char('-') ? -1 : 1;
            ++j;
        }
        int exponent = 0;
        bool expDigits = false;
        while (j < n && value[j] >= QLatin1Char('0') && value[j] <= QLatin1Char('9')) {
            if (exponent < 1000)
                exponent = exponent * 10 + (value[j].unicode() - u'0');
            expDigits = true;
            ++j;
        }
        if (expDigits)
            result *= std::pow(10.0, expSign * exponent);
    }
    return sign * result;
}

qint64 roundHalfEven(double value)
{
    if (std::isnan(value))
        return 0;
    constexpr double lo = static_cast<double>(std::numeric_limits<qint64>::min());
    constexpr double hi = static_cast<double>(std::numeric_limits<qint64>::max());
    if (value <= lo)
        return std::numeric_limits<qint64>::min();
    if (value >= hi)
        return std::numeric_limits<qint64>::max();
    // nearbyint follows the current rounding mode, which is to-nearest-even by default.
    return static_cast<qint64>(std::nearbyint(value));
}

qint32 wholeNumberOf(QStringView value)
{
    const qint64 n = roundHalfEven(leadingNumber(value));
    if (n < std::numeric_limits<qint32>::min())
        return std::numeric_limits<qint32>::min();
    if (n > std::numeric_limits<qint32>::max())
        return std::numeric_limits<qint32>::max();
    return static_cast<qint32>(n);
}

std::optional<qint16> int16Of(QStringView value)
{
    const qint64 n = roundHalfEven(leadingNumber(value));
    if (n < std::numeric_limits<qint16>::min() || n > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return static_cast<qint16>(n);
}

bool isBlank(QStringView text)
{
    for (const QChar c : text) {
        if (c != QLatin1Char(' '))
            return false;
    }
    return true;
}

QString trimBlanks(QStringView text)
{
    qsizetype b = 0;
    qsizetype e = text.size();
    while (b < e && text[b] == QLatin1Char(' '))
        ++b;
    while (e > b && text[e - 1] == QLatin1Char(' '))
        --e;
    return text.mid(b, e - b).toString();
}
