#pragma once

#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringView>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

// An INI-format file in memory: sections of key=value lines. Section and key
// names match without regard to case; everything else keeps its order and form.
// Lookups go through an index built once per change of the lines, so reading
// many keys costs one pass over the file, not one per key.
class IniDocument
{
public:
    static IniDocument parse(QStringView text);
    // The bytes of a file, each line decoded on its own (see decodeFileLine), so
    // that a huge file is never held as one string besides its lines.
    static IniDocument parseFile(QByteArrayView bytes);
    QString serialize() const; // CR LF line ends

    // The value, "" when the section or key is missing.
    QString value(QStringView section, QStringView key) const;
    bool contains(QStringView section, QStringView key) const;
    // Replaces the value or adds the key (and the section) at the end of its section.
    void setValue(QStringView section, QStringView key, QStringView value);
    void removeKey(QStringView section, QStringView key);
    void removeSection(QStringView section);
    // Replaces a section's keys with these, in this order, the section keeping its place.
    void replaceSection(QStringView section, const QList<std::pair<QString, QString>> &entries);
    // Key=value pairs of a section in file order.
    QList<std::pair<QString, QString>> entries(QStringView section) const;

private:
    struct Index;

    // Index of the header line of the first section with this name, -1 if none.
    qsizetype findSection(QStringView section) const;
    // End of the section starting at header line `header`: the next header, or the end.
    qsizetype sectionEnd(qsizetype header) const;
    // Index of the key's line within the section, -1 if none.
    qsizetype findKey(qsizetype header, QStringView key) const;
    // Index of the key's line in the first section of that name, -1 if none.
    qsizetype findKeyLine(QStringView section, QStringView key) const;
    const Index &index() const;
    void linesMoved() { m_index.reset(); }

    // The file's lines as they stand, so untouched lines are written back unchanged.
    QList<QString> m_lines;
    // Built on the first lookup; dropped whenever lines are inserted or removed.
    mutable std::shared_ptr<const Index> m_index;
};

// A file read once, for many lookups (the registry with thousands of groups, the
// settings read at start). A missing file reads as empty; one that exists but
// cannot be read is not readable, and every value reads "". Only the names are
// looked at when the file is read; a value is decoded when it is asked for, so a
// huge value nobody asks for costs no more than reading its bytes.
class IniSnapshot
{
public:
    static IniSnapshot read(const QString &path);
    // A document known to be what the file holds (just written, say).
    static IniSnapshot fromDocument(const IniDocument &doc);

    bool isReadable() const { return m_readable; }
    const QString &error() const { return m_error; } // why it is not readable
    // The value as IniFile::read gives it: cut to 255 bytes and at a NUL.
    QString value(QStringView section, QStringView key) const;

private:
    void index();

    struct KeyLine
    {
        qsizetype lineFrom = 0;
        qsizetype valueFrom = 0;
        qsizetype lineTo = 0;
    };
    QByteArray m_bytes;
    // Folded section name -> folded key -> its first line in the first such section.
    QHash<QString, QHash<QString, KeyLine>> m_keys;
    bool m_readable = true;
    QString m_error;
};

// One value at a time, no caching: every read goes to the file and every write
// replaces the whole file atomically (temporary file, flush, rename), so a crash
// never leaves half a file. Where several values are read or written together,
// IniSnapshot and update() do it with one read and one write. A missing file, section or key reads
// as "". A value is read back cut to 255 bytes of its UTF-8 form at a character boundary. Line
// breaks inside a written value become spaces, so a value never breaks the file.
class IniFile
{
public:
    static QString read(const QString &path, QStringView section, QStringView key);
    // True when the file has the key, even with an empty value.
    static bool contains(const QString &path, QStringView section, QStringView key);
    static bool write(const QString &path, QStringView section, QStringView key, QStringView value);
    static bool removeKey(const QString &path, QStringView section, QStringView key);
    static bool removeSection(const QString &path, QStringView section);
    // Several changes in one atomic write (for example a whole section rewritten).
    // A file that exists but cannot be read is never replaced. *written receives
    // the document as written.
    static bool update(const QString &path, const std::function<void(IniDocument &)> &change,
                       QString *error = nullptr, IniDocument *written = nullptr);
};
