#include "store/groupfile.h"

#include "platform/filesys.h"
#include "platform/textcodec.h"
#include "settings/number.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace {

constexpr QChar kCrLfByte(0x01);
constexpr QChar kCommaByte(0x02);
// Only inside records marked with kEscapedMarker.
constexpr QChar kEscape(0x03);
constexpr QStringView kEscapedMarker = u"x1";
constexpr QStringView kHeader = u"[ListData]";
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

bool hasLoneCr(QStringView s)
{
    for (qsizetype i = s.indexOf(QLatin1Char('\r')); i >= 0;
         i = s.indexOf(QLatin1Char('\r'), i + 1)) {
        if (i + 1 >= s.size() || s[i + 1] != QLatin1Char('\n'))
            return true;
    }
    return false;
}

// True when the plain field encoding would not give the same string back: a lone
// CR ends the line when read, 0x01 and 0x02 read back as CR LF and ",", and an
// unpaired surrogate has no UTF-8 form.
bool needsEscape(QStringView s)
{
    return s.contains(kCrLfByte) || s.contains(kCommaByte) || hasLoneCr(s) || !s.isValidUtf16();
}

// The plain form, as every older version wrote it. Texts may be megabytes: the
// work goes to Qt's bulk replace rather than a loop per character.
void appendPlainField(QString &out, QStringView s)
{
    if (!s.contains(QLatin1Char('\r')) && !s.contains(QLatin1Char(','))) {
        out += s;
        return;
    }
    QString field = s.toString();
    field.replace(QLatin1String("\r\n"), QString(kCrLfByte));
    field.replace(QLatin1Char(','), kCommaByte);
    out += field;
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
    QString out = s.toString();
    out.replace(kCommaByte, QLatin1Char(','));
    out.replace(kCrLfByte, QLatin1String("\r\n"));
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

// Calls onLine for every line of text; lines end at CR or CR LF.
template<typename F> void forEachLine(QStringView text, F onLine)
{
    qsizetype start = 0;
    for (qsizetype cr = text.indexOf(QLatin1Char('\r')); cr >= 0;
         cr = text.indexOf(QLatin1Char('\r'), start)) {
        onLine(text.mid(start, cr - start));
        start = cr + 1;
        if (start < text.size() && text[start] == QLatin1Char('\n'))
            ++start;
    }
    if (start < text.size())
        onLine(text.mid(start));
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

TextEntry parseRecordValue(QStringView value, const ParseErrorReporter &report)
{
    TextEntry entry;
    if (isBlank(value))
        return entry;
    const QList<QStringView> parts = value.split(QLatin1Char(','));
    const bool escaped = parts.size() > 4 && parts.at(4) == kEscapedMarker;
    const auto flagOf = [&](QStringView part, qint16 *flag) {
        const std::optional<qint16> n = int16Of(part);
        if (!n) {
            if (report)
                report(kParseErrorPrefix + QStringLiteral("Overflow"));
            return false;
        }
        *flag = *n;
        return true;
    };
    entry.text = decodeField(parts.at(0), escaped);
    if (parts.size() > 1 && !flagOf(parts.at(1), &entry.protectFlag))
        return entry;
    if (parts.size() > 2)
        entry.caption = decodeField(parts.at(2), escaped);
    if (parts.size() > 3)
        flagOf(parts.at(3), &entry.namedFlag);
    return entry;
}

QString formatRecordValue(const TextEntry &entry)
{
    const bool escaped = needsEscape(entry.text) || needsEscape(entry.caption);
    QString out;
    out.reserve(entry.text.size() + entry.caption.size() + 16);
    const auto append = escaped ? appendEscapedField : appendPlainField;
    append(out, entry.text);
    out += QLatin1Char(',') + QString::number(entry.protectFlag) + QLatin1Char(',');
    append(out, entry.caption);
    out += QLatin1Char(',') + QString::number(entry.namedFlag);
    if (escaped)
        out += QLatin1Char(',') + kEscapedMarker;
    return out;
}

QByteArray serializeGroup(const QList<TextEntry> &entries)
{
    qsizetype size = 16;
    for (const TextEntry &entry : entries)
        size += entry.text.size() + entry.caption.size() + 32;
    QString out;
    out.reserve(size);
    out += kHeader + kLineEnd;
    int n = 0;
    for (const TextEntry &entry : entries) {
        if (isBlank(entry.text))
            continue;
        ++n;
        out += QStringLiteral("Text") + QString::number(n) + QLatin1Char('=') +
               formatRecordValue(entry) + kLineEnd;
    }
    return encodeFileText(out);
}

QList<TextEntry> parseGroup(const QByteArray &content, const ParseErrorReporter &report)
{
    const QString text = decodeFileText(content);
    QList<TextEntry> entries;
    forEachLine(text, [&](QStringView line) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq >= 0)
            entries.append(parseRecordValue(line.mid(eq + 1), report));
    });
    return entries;
}

GroupLoadResult readGroup(QIODevice *device, const ParseErrorReporter &report)
{
    GroupLoadResult result;
    result.status = GroupLoadResult::Status::Loaded;
    QByteArray content;
    QByteArray buffer(kReadChunk, Qt::Uninitialized);
    for (;;) {
        const qint64 n = device->read(buffer.data(), buffer.size());
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
        content.append(buffer.constData(), n);
    }
    result.entries = parseGroup(content, report);
    return result;
}

GroupLoadResult loadGroupFile(const QString &path, const ParseErrorReporter &report)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return {};
    QFile file(path);
    GroupLoadResult result;
    if (file.open(QIODevice::ReadOnly)) {
        result = readGroup(&file, report);
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

bool saveGroupFile(const QString &path, const QString &tempPath, const QList<TextEntry> &entries,
                   QString *error)
{
    return replaceFileAtomically(path, serializeGroup(entries), tempPath, error);
}
