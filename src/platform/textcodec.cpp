#include "platform/textcodec.h"

#include <QStringDecoder>

#include <array>

namespace {

// Windows-1252 differs from Latin-1 only in 0x80-0x9F.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

QString decodeWindows1252(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar *dst = out.data();
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *dst++ = (b >= 0x80 && b <= 0x9F) ? QChar(kCp1252High[b - 0x80]) : QChar(char16_t(b));
    }
    return out;
}

QString decodeUtf8(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    return utf8.decode(bytes);
}

QString decodeFileLine(QByteArrayView line)
{
    return line.isValidUtf8() ? decodeUtf8(line) : decodeWindows1252(line);
}

QByteArrayView withoutByteOrderMarks(QByteArrayView bytes)
{
    // All of them go: an editor may add its own before one already there, and a
    // mark kept in the text would be written back as a mark that the next read
    // drops, so the file would change with every save.
    static constexpr char kMark[] = "\xEF\xBB\xBF";
    while (bytes.startsWith(QByteArrayView(kMark, 3)))
        bytes = bytes.sliced(3);
    return bytes;
}

QString decodeFileText(QByteArrayView bytes)
{
    bytes = withoutByteOrderMarks(bytes);
    // Nearly every file is UTF-8 throughout: one pass over the whole.
    if (bytes.isValidUtf8())
        return decodeUtf8(bytes);
    // The line breaks are ASCII and read alike in both encodings; each run
    // between them is decided on its own.
    QString out;
    out.reserve(bytes.size());
    const char *const begin = bytes.data();
    const char *const end = begin + bytes.size();
    const char *from = begin;
    for (const char *p = begin; p != end; ++p) {
        if (*p == '\r' || *p == '\n') {
            out += decodeFileLine(QByteArrayView(from, p));
            out += QLatin1Char(*p);
            from = p + 1;
        }
    }
    out += decodeFileLine(QByteArrayView(from, end));
    return out;
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
