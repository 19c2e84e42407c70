#include "store/groupfile.h"

#include "platform/filesys.h"
#include "platform/textcodec.h"
#include "settings/number.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr QChar kCrLfByte(0x01);
constexpr QChar kCommaByte(0x02);
// Only inside records marked with kEscapedMarker.
constexpr QChar kEscape(0x03);
constexpr QStringView kEscapedMarker = u"x1";
constexpr QStringView kLineEnd = u"\r\n";
constexpr QStringView kParseErrorPrefix = u"gsSetTextDataFromFileData(): ";
constexpr qint64 kReadChunk = 1 << 20;

bool isLoneSurrogate(QStringView s, qsizetype i)
{
    const QChar c = s[i];
    if (c.isHighSurrogate())
        return i + 1 >= s.size() || !s[i + 1].isLowSurrogate();
    if (c.isLowSurrogate())
        return i == 0 || !s[i - 1].isHighSurrogate();
    return false;
}

// True when the plain field encoding would not give the same string back: a lone
// CR ends the line when read, 0x01 and 0x02 read back as CR LF and ",", and an
// unpaired surrogate has no UTF-8 form. One pass: texts may be megabytes.
bool needsEscape(QStringView s)
{
    const char16_t *const p = s.utf16();
    const qsizetype n = s.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = p[i];
        if (c > u'\r' && (c < 0xD800 || c > 0xDFFF))
            continue;
        if (c == kCrLfByte || c == kCommaByte)
            return true;
        if (c == u'\r') {
            if (i + 1 >= n || p[i + 1] != u'\n')
                return true;
        } else if (c >= 0xD800) {
            if (c >= 0xDC00 || i + 1 >= n || p[i + 1] < 0xDC00 || p[i + 1] > 0xDFFF)
                return true;
            ++i; // a whole pair
        }
    }
    return false;
}

// Appends the UTF-8 form of s (which holds no unpaired surrogate) to out, encoding
// straight into out's buffer.
void appendUtf8(QByteArray &out, QStringView s)
{
    // A long text is measured first, so the buffer is not three times its size.
    qsizetype bytes = 3 * s.size();
    if (s.size() > 4096) {
        bytes = s.size();
        for (const QChar ch : s) {
            const char16_t c = ch.unicode();
            bytes += (c >= 0x80) + (c >= 0x800 && (c < 0xD800 || c > 0xDFFF));
        }
    }
    const qsizetype old = out.size();
    const qsizetype room = old + bytes;
    if (out.capacity() < room)
        out.reserve(std::max(room, out.capacity() * 3 / 2));
    out.resize(room);
    QStringEncoder utf8(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
    char *const end = utf8.appendToBuffer(out.data() + old, s);
    out.truncate(end - out.constData());
}

// The plain form, as every older version wrote it: CR LF as 0x01, "," as 0x02.
// The field holds no lone CR here (needsEscape), so every CR starts a CR LF.
void appendPlainField(QByteArray &out, QStringView s)
{
    const qsizetype from = out.size();
    appendUtf8(out, s);
    char *const begin = out.data() + from;
    char *const end = out.data() + out.size();
    char *first = begin;
    while (first != end && *first != '\r' && *first != ',')
        ++first;
    if (first == end)
        return;
    char *dst = first;
    for (const char *src = first; src != end; ++src) {
        if (*src == '\r' && src + 1 != end) {
            *dst++ = '\x01';
            ++src; // the LF
        } else if (*src == ',') {
            *dst++ = '\x02';
        } else {
            *dst++ = *src;
        }
    }
    out.truncate(dst - out.constData());
}

void appendEscapedField(QString &out, QStringView s)
{
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c == QLatin1Char('\r') && i + 1 < s.size() && s[i + 1] == QLatin1Char('\n')) {
            out += kCrLfByte;
            ++i;
        } else if (c == QLatin1Char(',')) {
            out += kCommaByte;
        } else if (c == QLatin1Char('\r')) {
            out += kEscape;
            out += QLatin1Char('r');
        } else if (c == kCrLfByte || c == kCommaByte || c == kEscape) {
            out += kEscape;
            out += QChar(u'0' + c.unicode());
        } else if (c.isSurrogate() && isLoneSurrogate(s, i)) {
            out += kEscape;
            out += QLatin1Char('u');
            out += QStringLiteral("%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        } else {
            out += c;
        }
    }
}

int hexValue(QChar c)
{
    if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
        return c.unicode() - u'0';
    if (c >= QLatin1Char('a') && c <= QLatin1Char('f'))
        return c.unicode() - u'a' + 10;
    return -1;
}

// The character an escape sequence at s[i] (the escape itself) stands for, and
// how many code units it takes; 0 units when it is no escape sequence.
qsizetype decodeEscape(QStringView s, qsizetype i, QChar *out)
{
    if (i + 1 >= s.size())
        return 0;
    const QChar kind = s[i + 1];
    if (kind == QLatin1Char('r')) {
        *out = QLatin1Char('\r');
        return 2;
    }
    if (kind >= QLatin1Char('1') && kind <= QLatin1Char('3')) {
        *out = QChar(kind.unicode() - u'0');
        return 2;
    }
    if (kind != QLatin1Char('u') || i + 6 > s.size())
        return 0;
    char16_t unit = 0;
    for (const QChar digit : s.mid(i + 2, 4)) {
        const int value = hexValue(digit);
        if (value < 0)
            return 0;
        unit = char16_t(unit * 16 + value);
    }
    *out = QChar(unit);
    return 6;
}

QString decodePlainField(QStringView s)
{
    qsizetype breaks = 0;
    bool commas = false;
    for (const QChar c : s) {
        breaks += c == kCrLfByte;
        commas = commas || c == kCommaByte;
    }
    if (breaks == 0 && !commas)
        return s.toString();
    QString out(s.size() + breaks, Qt::Uninitialized);
    QChar *dst = out.data();
    for (const QChar c : s) {
        if (c == kCrLfByte) {
            *dst++ = QLatin1Char('\r');
            *dst++ = QLatin1Char('\n');
        } else {
            *dst++ = c == kCommaByte ? QChar(u',') : c;
        }
    }
    return out;
}

QString decodeEscapedField(QStringView s)
{
    QString out;
    out.reserve(s.size() + s.size() / 32);
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c == kCommaByte) {
            out += QLatin1Char(',');
        } else if (c == kCrLfByte) {
            out += kLineEnd;
        } else if (c == kEscape) {
            QChar decoded;
            const qsizetype units = decodeEscape(s, i, &decoded);
            if (units == 0) {
                out += c; // not ours: kept as it stands
            } else {
                out += decoded;
                i += units - 1;
            }
        } else {
            out += c;
        }
    }
    return out;
}

QString decodeField(QStringView s, bool escaped)
{
    return escaped ? decodeEscapedField(s) : decodePlainField(s);
}

QString setAsideName(const QString &path)
{
    const QString base = path + QStringLiteral(".unreadable-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    QString candidate = base;
    for (int n = 2; QFileInfo::exists(candidate) || QFileInfo(candidate).isSymLink(); ++n)
        candidate = base + QLatin1Char('-') + QString::number(n);
    return candidate;
}

} // namespace

QString parseProblemsMessage(const ParseProblems &problems, const QString &path)
{
    QString message = kParseErrorPrefix + problems.firstError;
    if (problems.count > 1)
        message +=
            QStringLiteral("\r\n%1 values in %2 could not be read whole; the first, line %3:")
                .arg(problems.count)
                .arg(QDir::toNativeSeparators(path))
                .arg(problems.firstLine);
    else
        message += QStringLiteral("\r\nIn %1, line %2:")
                       .arg(QDir::toNativeSeparators(path))
                       .arg(problems.firstLine);
    return message + QStringLiteral("\r\n") + problems.firstLineText;
}

namespace {

// The record of a value whose text field (the part before the first ",") the
// caller decodes: rest is what follows that comma (null without one), text gives
// the decoded text field once it is known whether the record is escaped.
template<typename TextOf>
TextEntry parseRecord(QStringView rest, const TextOf &textOf, QString *error)
{
    TextEntry entry;
    // Fields 1 to 4; any after them mean nothing and are not even split.
    std::array<QStringView, 4> parts;
    qsizetype count = 0;
    for (qsizetype from = 0; !rest.isNull() && count < qsizetype(parts.size());) {
        const qsizetype comma = rest.indexOf(QLatin1Char(','), from);
        parts[count++] = rest.sliced(from, (comma < 0 ? rest.size() : comma) - from);
        if (comma < 0)
            break;
        from = comma + 1;
    }
    const bool escaped = count > 3 && parts[3] == kEscapedMarker;
    const auto flagOf = [&](QStringView part, qint16 *flag) {
        const std::optional<qint16> n = int16Of(part);
        if (!n) {
            if (error)
                *error = QStringLiteral("Overflow");
            return false;
        }
        *flag = *n;
        return true;
    };
    entry.text = textOf(escaped);
    if (count > 0 && !flagOf(parts[0], &entry.protectFlag))
        return entry;
    if (count > 1)
        entry.caption = decodeField(parts[1], escaped);
    if (count > 2)
        flagOf(parts[2], &entry.namedFlag);
    return entry;
}

// The plain text field of a UTF-8 line decoded straight from its bytes into its
// one result: a text of megabytes is never held twice. 0x01 and 0x02 never occur
// inside a UTF-8 sequence, so the runs between them are whole.
QString decodePlainUtf8(QByteArrayView bytes)
{
    const char *const begin = bytes.data();
    const char *const end = begin + bytes.size();
    const qsizetype breaks = std::count(begin, end, '\x01');
    QString out(bytes.size() + breaks, Qt::Uninitialized);
    QChar *dst = out.data();
    // Each run is decoded on its own, so a U+FEFF after a line break or a comma
    // would be taken for a byte-order mark and dropped without ConvertInitialBom.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const char *run = begin;
    for (const char *p = begin; p != end; ++p) {
        if (*p != '\x01' && *p != '\x02')
            continue;
        dst = utf8.appendToBuffer(dst, QByteArrayView(run, p));
        if (*p == '\x01') {
            *dst++ = QLatin1Char('\r');
            *dst++ = QLatin1Char('\n');
        } else {
            *dst++ = QLatin1Char(',');
        }
        run = p + 1;
    }
    dst = utf8.appendToBuffer(dst, QByteArrayView(run, end));
    out.truncate(dst - out.constData());
    return out;
}

bool isBlankBytes(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c == ' '; });
}

} // namespace

TextEntry parseRecordValue(QStringView value, QString *error)
{
    if (isBlank(value))
        return {};
    const qsizetype comma = value.indexOf(QLatin1Char(','));
    const QStringView text = comma < 0 ? value : value.first(comma);
    const QStringView rest = comma < 0 ? QStringView() : value.sliced(comma + 1);
    return parseRecord(
        rest, [&](bool escaped) { return decodeField(text, escaped); }, error);
}

namespace {

void appendRecord(QByteArray &out, int n, const TextEntry &entry)
{
    const bool escaped = needsEscape(entry.text) || needsEscape(entry.caption);
    out += "Text";
    out += QByteArray::number(n);
    out += '=';
    const auto appendField = [&out, escaped](const QString &text) {
        if (escaped) {
            QString field;
            appendEscapedField(field, text);
            appendUtf8(out, field);
        } else {
            appendPlainField(out, text);
        }
    };
    appendField(entry.text);
    out += ',';
    out += QByteArray::number(entry.protectFlag);
    out += ',';
    appendField(entry.caption);
    out += ',';
    out += QByteArray::number(entry.namedFlag);
    if (escaped)
        out += ",x1";
}

bool isHeaderLine(QByteArrayView line)
{
    const QByteArrayView trimmed = line.trimmed();
    return trimmed.compare(QByteArrayView("[ListData]"), Qt::CaseInsensitive) == 0;
}

// Lines whose characters the screen and the message box cannot hold get cut.
QString shownLine(QStringView line)
{
    constexpr qsizetype kShown = 120;
    return line.size() <= kShown ? line.toString() : line.left(kShown) + QStringLiteral("...");
}

} // namespace

QString formatRecordValue(const TextEntry &entry)
{
    QByteArray line;
    appendRecord(line, 1, entry);
    return decodeUtf8(QByteArrayView(line).sliced(line.indexOf('=') + 1));
}

QByteArray serializeGroup(const QList<TextEntry> &entries)
{
    qsizetype size = 16;
    for (const TextEntry &entry : entries)
        size += entry.text.size() + entry.caption.size() + 32;
    QByteArray out;
    out.reserve(size + size / 8);
    out += "[ListData]\r\n";
    int n = 0;
    for (const TextEntry &entry : entries) {
        if (isBlank(entry.text))
            continue;
        appendRecord(out, ++n, entry);
        out += "\r\n";
    }
    return out;
}

QList<TextEntry> parseGroup(QByteArrayView content, ParseProblems *problems, bool *hasHeader)
{
    QList<TextEntry> entries;
    bool header = false;
    content = withoutByteOrderMarks(content);
    // Nearly every file is UTF-8 throughout; only otherwise is each line tested.
    const bool allUtf8 = content.isValidUtf8();
    const char *p = content.data();
    const char *const end = p + content.size();
    for (qsizetype lineNo = 1; p < end; ++lineNo) {
        const char *cr = static_cast<const char *>(std::memchr(p, '\r', size_t(end - p)));
        if (!cr)
            cr = end;
        const QByteArrayView bytes(p, cr);
        p = cr + 1;
        if (p < end && *p == '\n')
            ++p;
        if (!bytes.contains('=')) {
            header = header || isHeaderLine(bytes);
            continue;
        }
        const bool utf8 = allUtf8 || bytes.isValidUtf8();
        const auto decode = [utf8](QByteArrayView b) {
            return utf8 ? decodeUtf8(b) : decodeWindows1252(b);
        };
        // "=" and "," are ASCII: their bytes are found alike in both encodings.
        const QByteArrayView value = bytes.sliced(bytes.indexOf('=') + 1);
        QString error;
        if (isBlankBytes(value)) {
            entries.append(TextEntry{});
        } else {
            const qsizetype comma = value.indexOf(',');
            const QByteArrayView text = comma < 0 ? value : value.first(comma);
            const QString rest = comma < 0 ? QString() : decode(value.sliced(comma + 1));
            entries.append(parseRecord(
                comma < 0        ? QStringView()
                : rest.isEmpty() ? QStringView(u"")
                                 : QStringView(rest),
                [&](bool escaped) {
                    return utf8 && !escaped ? decodePlainUtf8(text)
                                            : decodeField(decode(text), escaped);
                },
                &error));
        }
        if (!error.isEmpty() && problems && problems->count++ == 0) {
            problems->firstError = error;
            problems->firstLine = lineNo;
            problems->firstLineText =
                shownLine(decode(bytes.first(std::min<qsizetype>(bytes.size(), 480))));
        }
    }
    if (hasHeader)
        *hasHeader = header;
    return entries;
}

GroupLoadResult readGroup(QIODevice *device)
{
    GroupLoadResult result;
    result.status = GroupLoadResult::Status::Loaded;
    QByteArray content;
    const qint64 expected = device->isSequential() ? 0 : device->size() - device->pos();
    // Room for the whole file and the read that finds its end, so a large file is
    // read in one go and never copied.
    if (expected > 0)
        content.reserve(expected + kReadChunk);
    for (;;) {
        const qsizetype chunk =
            std::max<qsizetype>(content.capacity() - content.size(), kReadChunk);
        const qsizetype old = content.size();
        content.resize(old + chunk);
        const qint64 n = device->read(content.data() + old, chunk);
        content.truncate(old + std::max<qint64>(n, 0));
        if (n < 0) {
            result.status = GroupLoadResult::Status::Failed;
            result.error = device->errorString();
            // Only lines known to be whole: the cut may fall inside a text or a character.
            const qsizetype lastEnd = content.lastIndexOf('\r');
            content.truncate(lastEnd < 0 ? 0 : lastEnd);
            break;
        }
        if (n == 0)
            break;
    }
    bool hasHeader = false;
    result.entries = parseGroup(content, &result.problems, &hasHeader);
    if (!hasHeader && !content.isEmpty() && result.status == GroupLoadResult::Status::Loaded) {
        result.status = GroupLoadResult::Status::Failed;
        result.error = QStringLiteral("it holds no [ListData] line, so it is no group file");
    }
    return result;
}

GroupLoadResult loadGroupFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return {};
    QFile file(path);
    GroupLoadResult result;
    if (file.open(QIODevice::ReadOnly)) {
        result = readGroup(&file);
        file.close();
    } else {
        result.status = GroupLoadResult::Status::Failed;
        result.error = file.errorString();
    }
    if (result.status != GroupLoadResult::Status::Failed)
        return result;
    const QString aside = setAsideName(path);
    if (QFile::rename(path, aside))
        result.setAsidePath = aside;
    else
        result.error += QStringLiteral("; cannot move it aside");
    return result;
}

QString loadFailureMessage(const GroupLoadResult &result, const QString &path)
{
    QString message = QStringLiteral("The file ") + QDir::toNativeSeparators(path) +
                      QStringLiteral(" could not be read whole: ") + result.error;
    if (!result.setAsidePath.isEmpty())
        message +=
            QStringLiteral(". It was kept as ") + QDir::toNativeSeparators(result.setAsidePath);
    return message + QLatin1Char('.');
}

bool saveGroupFile(const QString &path, const QList<TextEntry> &entries, QString *error)
{
    return writeFileAtomically(path, serializeGroup(entries), error);
}
