#include "platform/textcodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <array>

namespace {

// Windows-1252 differs from Latin-1 only in 0x80-0x9F.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

QString decodeWindows1252(const QByteArray &bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar *dst = out.data();
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *dst++ = (b >= 0x80 && b <= 0x9F) ? QChar(kCp1252High[b - 0x80]) : QChar(char16_t(b));
    }
    return out;
}

QString decodeFileText(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) {
        // The decoder drops one byte-order mark; a second one (an editor that
        // added its own) would otherwise be dropped by the next read after a
        // save, so what a file holds would change with every save.
        qsizetype marks = 0;
        while (marks < text.size() && text.at(marks) == QChar::ByteOrderMark)
            ++marks;
        text.remove(0, marks);
        return text;
    }
    return decodeWindows1252(bytes);
}

QByteArray encodeFileText(QStringView text)
{
    return text.toUtf8();
}

QString toPlatformLineBreaks(QStringView text)
{
    QString out = text.toString();
    out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return out;
}

QString toInternalLineBreaks(QStringView text)
{
    // The runs between line feeds are copied whole: a clipboard text may be
    // many megabytes long.
    QString out;
    out.reserve(text.size() + text.size() / 16);
    qsizetype from = 0;
    for (qsizetype lf = text.indexOf(QLatin1Char('\n')); lf >= 0;
         lf = text.indexOf(QLatin1Char('\n'), from)) {
        out += text.sliced(from, lf - from);
        if (lf == 0 || text[lf - 1] != QLatin1Char('\r'))
            out += QLatin1Char('\r');
        out += QLatin1Char('\n');
        from = lf + 1;
    }
    out += text.sliced(from);
    return out;
}
