#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <functional>
#include <utility>

// An INI-format file in memory: sections of key=value lines. Section and key
// names match without regard to case; everything else keeps its order and form.
class IniDocument
{
public:
    static IniDocument parse(const QString &text);
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
    // Index of the header line of the first section with this name, -1 if none.
    qsizetype findSection(QStringView section) const;
    // End of the section starting at header line `header`: the next header, or the end.
    qsizetype sectionEnd(qsizetype header) const;
    // Index of the key's line within the section, -1 if none.
    qsizetype findKey(qsizetype header, QStringView key) const;

    // The file's lines as they stand, so untouched lines are written back unchanged.
    QList<QString> m_lines;
};

// One value at a time, no caching: every read goes to the file and every write
// replaces the whole file atomically (temporary file, flush, rename), so a crash
// never leaves half a file. A missing file, section or key reads as "". A value
// is read back cut to 255 bytes of its UTF-8 form at a character boundary. Line
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
    static bool update(const QString &path, const std::function<void(IniDocument &)> &change);
};
