#include "settings/inifile.h"

#include "platform/filesys.h"
#include "platform/textcodec.h"

#include <QFileInfo>

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

IniDocument IniDocument::parse(const QString &text)
{
    IniDocument doc;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            doc.m_lines.append(text.mid(start, i - start));
            if (c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n'))
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        doc.m_lines.append(text.mid(start));
    return doc;
}

QString IniDocument::serialize() const
{
    QString out;
    for (const QString &line : m_lines)
        out += line + QLatin1String("\r\n");
    return out;
}

qsizetype IniDocument::findSection(QStringView section) const
{
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const QStringView name = headerName(m_lines.at(i));
        if (!name.isNull() && sameName(name, section))
            return i;
    }
    return -1;
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
    const qsizetype header = findSection(section);
    if (header < 0)
        return {};
    const qsizetype line = findKey(header, key);
    if (line < 0)
        return {};
    QStringView k;
    QStringView v;
    splitKeyLine(m_lines.at(line), &k, &v);
    return v.toString();
}

bool IniDocument::contains(QStringView section, QStringView key) const
{
    const qsizetype header = findSection(section);
    return header >= 0 && findKey(header, key) >= 0;
}

void IniDocument::setValue(QStringView section, QStringView key, QStringView value)
{
    qsizetype header = findSection(section);
    if (header < 0) {
        m_lines.append(QLatin1Char('[') + section.toString() + QLatin1Char(']'));
        m_lines.append(keyLine(key, value));
        return;
    }
    const qsizetype line = findKey(header, key);
    if (line >= 0) {
        // Keep the key as the file spells it.
        QStringView k;
        QStringView v;
        splitKeyLine(m_lines.at(line), &k, &v);
        m_lines[line] = keyLine(k, value);
        return;
    }
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
    qsizetype line;
    while ((line = findKey(header, key)) >= 0)
        m_lines.removeAt(line);
}

void IniDocument::removeSection(QStringView section)
{
    qsizetype header;
    while ((header = findSection(section)) >= 0)
        m_lines.remove(header, sectionEnd(header) - header);
}

void IniDocument::replaceSection(QStringView section,
                                 const QList<std::pair<QString, QString>> &entries)
{
    qsizetype header = findSection(section);
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
    qsizetype at = header + 1;
    for (const auto &[key, value] : entries)
        m_lines.insert(at++, keyLine(key, value));
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
bool loadDocument(const QString &path, IniDocument *doc)
{
    if (!QFileInfo::exists(path)) {
        *doc = {};
        return true;
    }
    QByteArray bytes;
    if (!readWholeFile(path, &bytes))
        return false;
    *doc = IniDocument::parse(decodeFileText(bytes));
    return true;
}

} // namespace

QString IniFile::read(const QString &path, QStringView section, QStringView key)
{
    IniDocument doc;
    if (!loadDocument(path, &doc))
        return {};
    QString value = doc.value(section, key);
    const qsizetype nul = value.indexOf(QChar(0));
    if (nul >= 0)
        value.truncate(nul);
    return cutToReadLimit(value);
}

bool IniFile::contains(const QString &path, QStringView section, QStringView key)
{
    IniDocument doc;
    return loadDocument(path, &doc) && doc.contains(section, key);
}

bool IniFile::update(const QString &path, const std::function<void(IniDocument &)> &change)
{
    IniDocument doc;
    if (!loadDocument(path, &doc))
        return false;
    change(doc);
    return writeFileAtomically(path, encodeFileText(doc.serialize()));
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
