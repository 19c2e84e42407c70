#include "settings/inifile.h"

#include "platform/filesys.h"
#include "platform/textcodec.h"

#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <cstring>

namespace {

// Readers get at most this many bytes of a value, as the fixed 256-byte buffer
// of the settings reader always allowed.
constexpr qsizetype kMaxValueBytes = 255;

bool isSpace(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

QStringView trimmed(QStringView s)
{
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && isSpace(s[b]))
        ++b;
    while (e > b && isSpace(s[e - 1]))
        --e;
    return s.mid(b, e - b);
}

// The section name of a header line "[name]", or a null view when the line is none.
QStringView headerName(QStringView line)
{
    const QStringView t = trimmed(line);
    if (!t.startsWith(QLatin1Char('[')))
        return {};
    const qsizetype close = t.indexOf(QLatin1Char(']'));
    if (close < 0)
        return {};
    const QStringView name = trimmed(t.mid(1, close - 1));
    return name.isNull() ? QStringView(u"") : name;
}

bool isComment(QStringView line)
{
    const QStringView t = trimmed(line);
    return t.startsWith(QLatin1Char(';')) || t.startsWith(QLatin1Char('#'));
}

// Key and value of a "key=value" line; false for any other line.
bool splitKeyLine(QStringView line, QStringView *key, QStringView *value)
{
    if (isComment(line) || !headerName(line).isNull())
        return false;
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0)
        return false;
    *key = trimmed(line.left(eq));
    *value = line.mid(eq + 1);
    return true;
}

bool sameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A value must stay on its one line.
QString singleLine(QStringView value)
{
    QString v = value.toString();
    v.replace(QLatin1String("\r\n"), QLatin1String(" "));
    v.replace(QLatin1Char('\r'), QLatin1Char(' '));
    v.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return v;
}

QString keyLine(QStringView key, QStringView value)
{
    return key.toString() + QLatin1Char('=') + singleLine(value);
}

// The first 255 bytes of the value's UTF-8 form, never splitting a character.
QString cutToReadLimit(const QString &value)
{
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char32_t c = value[i].unicode();
        qsizetype units = 1;
        qsizetype width = 1;
        if (QChar::isHighSurrogate(c) && i + 1 < value.size() && value[i + 1].isLowSurrogate()) {
            units = 2;
            width = 4;
        } else if (c >= 0x800) {
            width = 3;
        } else if (c >= 0x80) {
            width = 2;
        }
        if (bytes + width > kMaxValueBytes)
            return value.left(i);
        bytes += width;
        i += units - 1;
    }
    return value;
}

} // namespace

IniDocument IniDocument::parse(QStringView text)
{
    IniDocument doc;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            doc.m_lines.append(text.mid(start, i - start).toString());
            if (c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n'))
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        doc.m_lines.append(text.mid(start).toString());
    return doc;
}

IniDocument IniDocument::parseFile(QByteArrayView bytes)
{
    IniDocument doc;
    bytes = withoutByteOrderMarks(bytes);
    const char *const begin = bytes.data();
    const char *const end = begin + bytes.size();
    const char *start = begin;
    for (const char *p = begin; p != end; ++p) {
        if (*p == '\r' || *p == '\n') {
            doc.m_lines.append(decodeFileLine(QByteArrayView(start, p)));
            if (*p == '\r' && p + 1 != end && p[1] == '\n')
                ++p;
            start = p + 1;
        }
    }
    if (start != end)
        doc.m_lines.append(decodeFileLine(QByteArrayView(start, end)));
    return doc;
}

QString IniDocument::serialize() const
{
    QString out;
    qsizetype size = 0;
    for (const QString &line : m_lines)
        size += line.size() + 2;
    out.reserve(size);
    for (const QString &line : m_lines)
        out += line + QLatin1String("\r\n");
    return out;
}

// Names are folded as the case-blind comparison of sameName folds them.
struct IniDocument::Index
{
    struct Section
    {
        qsizetype header = -1;
        QHash<QString, qsizetype> keys; // the first line of each key
    };
    QHash<QString, Section> sections; // the first section of each name
};

const IniDocument::Index &IniDocument::index() const
{
    if (m_index)
        return *m_index;
    auto index = std::make_shared<Index>();
    Index::Section *current = nullptr;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const QString &line = m_lines.at(i);
        const QStringView name = headerName(line);
        if (!name.isNull()) {
            const QString folded = name.toString().toCaseFolded();
            if (index->sections.contains(folded)) {
                current = nullptr; // a later duplicate: lookups never reach it
            } else {
                current = &index->sections[folded];
                current->header = i;
            }
            continue;
        }
        QStringView k;
        QStringView v;
        if (current && splitKeyLine(line, &k, &v)) {
            const QString folded = k.toString().toCaseFolded();
            if (!current->keys.contains(folded)) // the first of the name is the one read
                current->keys.insert(folded, i);
        }
    }
    m_index = index;
    return *m_index;
}

qsizetype IniDocument::findSection(QStringView section) const
{
    const auto found = index().sections.constFind(section.toString().toCaseFolded());
    return found == index().sections.cend() ? -1 : found->header;
}

qsizetype IniDocument::findKeyLine(QStringView section, QStringView key) const
{
    const auto found = index().sections.constFind(section.toString().toCaseFolded());
    if (found == index().sections.cend())
        return -1;
    return found->keys.value(key.toString().toCaseFolded(), -1);
}

qsizetype IniDocument::sectionEnd(qsizetype header) const
{
    qsizetype i = header + 1;
    while (i < m_lines.size() && headerName(m_lines.at(i)).isNull())
        ++i;
    return i;
}

qsizetype IniDocument::findKey(qsizetype header, QStringView key) const
{
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        QStringView k;
        QStringView v;
        if (splitKeyLine(m_lines.at(i), &k, &v) && sameName(k, key))
            return i;
    }
    return -1;
}

QString IniDocument::value(QStringView section, QStringView key) const
{
    const qsizetype line = findKeyLine(section, key);
    if (line < 0)
        return {};
    QStringView k;
    QStringView v;
    splitKeyLine(m_lines.at(line), &k, &v);
    return v.toString();
}

bool IniDocument::contains(QStringView section, QStringView key) const
{
    return findKeyLine(section, key) >= 0;
}

void IniDocument::setValue(QStringView section, QStringView key, QStringView value)
{
    const qsizetype header = findSection(section);
    if (header < 0) {
        linesMoved();
        m_lines.append(QLatin1Char('[') + section.toString() + QLatin1Char(']'));
        m_lines.append(keyLine(key, value));
        return;
    }
    const qsizetype line = findKeyLine(section, key);
    if (line >= 0) {
        // Keep the key as the file spells it; no line moves, so the index stays.
        QStringView k;
        QStringView v;
        splitKeyLine(m_lines.at(line), &k, &v);
        m_lines[line] = keyLine(k, value);
        return;
    }
    linesMoved();
    // After the section's last non-blank line, so a blank line between sections stays.
    qsizetype insertAt = sectionEnd(header);
    while (insertAt > header + 1 && trimmed(m_lines.at(insertAt - 1)).isEmpty())
        --insertAt;
    m_lines.insert(insertAt, keyLine(key, value));
}

void IniDocument::removeKey(QStringView section, QStringView key)
{
    const qsizetype header = findSection(section);
    if (header < 0)
        return;
    linesMoved();
    qsizetype line;
    while ((line = findKey(header, key)) >= 0)
        m_lines.removeAt(line);
}

void IniDocument::removeSection(QStringView section)
{
    qsizetype header;
    while ((header = findSection(section)) >= 0) {
        m_lines.remove(header, sectionEnd(header) - header);
        linesMoved();
    }
}

void IniDocument::replaceSection(QStringView section,
                                 const QList<std::pair<QString, QString>> &entries)
{
    const qsizetype header = findSection(section);
    linesMoved();
    if (header < 0) {
        m_lines.append(QLatin1Char('[') + section.toString() + QLatin1Char(']'));
        for (const auto &[key, value] : entries)
            m_lines.append(keyLine(key, value));
        return;
    }
    // Drop any later duplicate of the section, then the old keys of this one.
    for (qsizetype later = sectionEnd(header); later < m_lines.size();) {
        const QStringView name = headerName(m_lines.at(later));
        if (!name.isNull() && sameName(name, section))
            m_lines.remove(later, sectionEnd(later) - later);
        else
            later = sectionEnd(later);
    }
    m_lines.remove(header + 1, sectionEnd(header) - header - 1);
    QList<QString> lines;
    lines.reserve(entries.size());
    for (const auto &[key, value] : entries)
        lines.append(keyLine(key, value));
    m_lines.insert(header + 1, lines.size(), QString());
    std::move(lines.begin(), lines.end(), m_lines.begin() + header + 1);
}

QList<std::pair<QString, QString>> IniDocument::entries(QStringView section) const
{
    QList<std::pair<QString, QString>> out;
    const qsizetype header = findSection(section);
    if (header < 0)
        return out;
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        QStringView k;
        QStringView v;
        if (splitKeyLine(m_lines.at(i), &k, &v))
            out.append({k.toString(), v.toString()});
    }
    return out;
}

namespace {

// A missing file is an empty document; one that exists but cannot be read is a
// failure, so that a write never replaces a file it could not read.
bool loadDocument(const QString &path, IniDocument *doc, QString *error)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) {
        *doc = {};
        return true;
    }
    QByteArray bytes;
    if (!readWholeFile(path, &bytes, error))
        return false;
    *doc = IniDocument::parseFile(bytes);
    return true;
}

} // namespace

namespace {

QByteArrayView trimmedBytes(QByteArrayView b)
{
    qsizetype from = 0;
    qsizetype to = b.size();
    while (from < to && (b[from] == ' ' || b[from] == '\t'))
        ++from;
    while (to > from && (b[to - 1] == ' ' || b[to - 1] == '\t'))
        --to;
    return b.sliced(from, to - from);
}

// A part of a line cut at ASCII bytes reads as that part of the decoded line.
QString decodePart(QByteArrayView part, QByteArrayView line)
{
    const bool ascii = std::all_of(part.begin(), part.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii)
        return QString::fromLatin1(part);
    return line.isValidUtf8() ? decodeUtf8(part) : decodeWindows1252(part);
}

} // namespace

IniSnapshot IniSnapshot::read(const QString &path)
{
    IniSnapshot snapshot;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return snapshot;
    snapshot.m_readable = readWholeFile(path, &snapshot.m_bytes, &snapshot.m_error);
    if (snapshot.m_readable) {
        snapshot.m_bytes.remove(0, snapshot.m_bytes.size() -
                                       withoutByteOrderMarks(snapshot.m_bytes).size());
        snapshot.index();
    }
    return snapshot;
}

IniSnapshot IniSnapshot::fromDocument(const IniDocument &doc)
{
    IniSnapshot snapshot;
    snapshot.m_bytes = encodeFileText(doc.serialize());
    snapshot.index();
    return snapshot;
}

// The same reading of lines, headers, comments and keys as IniDocument's.
void IniSnapshot::index()
{
    const QByteArrayView all(m_bytes);
    QHash<QString, KeyLine> *current = nullptr;
    const auto takeLine = [&](qsizetype from, qsizetype to) {
        const QByteArrayView line = all.sliced(from, to - from);
        const QByteArrayView t = trimmedBytes(line);
        if (t.startsWith('[')) {
            if (const qsizetype close = t.indexOf(']'); close >= 0) {
                const QString name =
                    decodePart(trimmedBytes(t.sliced(1, close - 1)), line).toCaseFolded();
                current = m_keys.contains(name) ? nullptr : &m_keys[name];
                return;
            }
        }
        if (!current || t.startsWith(';') || t.startsWith('#'))
            return;
        const qsizetype eq = line.indexOf('=');
        if (eq < 0)
            return;
        const QString key = decodePart(trimmedBytes(line.first(eq)), line).toCaseFolded();
        if (!current->contains(key))
            current->insert(key, KeyLine{from, from + eq + 1, to});
    };
    // Line ends are found with memchr: a value may be many megabytes long.
    const char *const begin = all.data();
    const char *const end = begin + all.size();
    const auto next = [end](const char *from, char c) {
        const void *found = std::memchr(from, c, size_t(end - from));
        return found ? static_cast<const char *>(found) : end;
    };
    if (begin == end)
        return;
    const char *nextCr = next(begin, '\r');
    const char *nextLf = next(begin, '\n');
    for (const char *p = begin; p < end;) {
        if (nextCr < p)
            nextCr = next(p, '\r');
        if (nextLf < p)
            nextLf = next(p, '\n');
        const char *const lineEnd = std::min(nextCr, nextLf);
        takeLine(p - begin, lineEnd - begin);
        if (lineEnd == end)
            break;
        p = lineEnd + 1;
        if (*lineEnd == '\r' && p < end && *p == '\n')
            ++p;
    }
}

QString IniSnapshot::value(QStringView section, QStringView key) const
{
    const auto found = m_keys.constFind(section.toString().toCaseFolded());
    if (found == m_keys.cend())
        return {};
    const auto line = found->constFind(key.toString().toCaseFolded());
    if (line == found->cend())
        return {};
    const QByteArrayView all(m_bytes);
    const QByteArrayView whole = all.sliced(line->lineFrom, line->lineTo - line->lineFrom);
    const QByteArrayView bytes = all.sliced(line->valueFrom, line->lineTo - line->valueFrom);
    QString value = whole.isValidUtf8() ? decodeUtf8(bytes) : decodeWindows1252(bytes);
    const qsizetype nul = value.indexOf(QChar(0));
    if (nul >= 0)
        value.truncate(nul);
    return cutToReadLimit(value);
}

QString IniFile::read(const QString &path, QStringView section, QStringView key)
{
    return IniSnapshot::read(path).value(section, key);
}

bool IniFile::contains(const QString &path, QStringView section, QStringView key)
{
    IniDocument doc;
    return loadDocument(path, &doc, nullptr) && doc.contains(section, key);
}

bool IniFile::update(const QString &path, const std::function<void(IniDocument &)> &change,
                     QString *error, IniDocument *written)
{
    IniDocument doc;
    QString reason;
    if (!loadDocument(path, &doc, &reason)) {
        if (error)
            *error = reason;
        return false;
    }
    change(doc);
    if (!writeFileAtomically(path, encodeFileText(doc.serialize()), error))
        return false;
    if (written)
        *written = std::move(doc);
    return true;
}

bool IniFile::write(const QString &path, QStringView section, QStringView key, QStringView value)
{
    return update(path, [&](IniDocument &doc) { doc.setValue(section, key, value); });
}

bool IniFile::removeKey(const QString &path, QStringView section, QStringView key)
{
    return update(path, [&](IniDocument &doc) { doc.removeKey(section, key); });
}

bool IniFile::removeSection(const QString &path, QStringView section)
{
    return update(path, [&](IniDocument &doc) { doc.removeSection(section); });
}
