// Any bytes as an INI file: reading never crashes, a file written is read back
// as it was written, and a value the program writes into it (or removes, or a
// section it rewrites) reads back as written while every other key keeps its value.

#include "fuzzcheck.h"
#include "platform/textcodec.h"
#include "settings/inifile.h"
#include "settings/settingskeys.h"

namespace {

struct Name
{
    QStringView section;
    QStringView key;
};

// Keys of the settings file, the group registry and the marker file.
constexpr Name kNames[] = {
    {Setting::TopPos.section, Setting::TopPos.key},
    {Setting::LastGroupNo.section, Setting::LastGroupNo.key},
    {Setting::Left.section, Setting::Left.key},
    {Setting::FontName.section, Setting::FontName.key},
    {Setting::ReExecuteReally.section, Setting::ReExecuteReally.key},
    {u"Management", u"MaxGroupNo"},
    {u"GroupNo", u"0"},
    {u"GroupNoName", u"Group1"},
};

IniDocument saveAndLoad(const IniDocument &doc)
{
    return IniDocument::parseFile(encodeFileText(doc.serialize()));
}

// A written value stays on its line: each line break becomes one space.
QString asWritten(const QString &value)
{
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            out += QLatin1Char(' ');
            if (c == QLatin1Char('\r') && i + 1 < value.size() && value.at(i + 1) == u'\n')
                ++i;
        } else {
            out += c;
        }
    }
    return out;
}

bool sameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Every key the reader finds in the sections of kNames, with its value.
struct Key
{
    QString section;
    QString key;
    QString value;
};

QList<Key> knownKeys(const IniDocument &doc)
{
    QList<Key> keys;
    for (const Name &n : kNames) {
        keys.append({n.section.toString(), n.key.toString(), doc.value(n.section, n.key)});
        for (const auto &[key, value] : doc.entries(n.section))
            keys.append({n.section.toString(), key, doc.value(n.section, key)});
    }
    return keys;
}

// Every key outside `changed` (a whole section when key is null) reads as before.
void checkOthersKept(const QList<Key> &before, const IniDocument &after, Name changed)
{
    for (const Key &k : before) {
        if (sameName(k.section, changed.section) &&
            (changed.key.isNull() || sameName(k.key, changed.key)))
            continue;
        if (after.value(k.section, k.key) != k.value) {
            std::fprintf(stderr, "[%s] %s changed\n", qPrintable(k.section), qPrintable(k.key));
            FUZZ_CHECK(after.value(k.section, k.key) == k.value);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzz::bytesOf(data, size);
    const IniDocument doc = IniDocument::parseFile(bytes);
    const QString file = doc.serialize();
    FUZZ_CHECK(saveAndLoad(doc).serialize() == file);
    if (size == 0)
        return 0;

    const QList<Key> before = knownKeys(doc);
    const Name name = kNames[data[0] % std::size(kNames)];
    const QString values[] = {
        QString(),
        QStringLiteral(" padded "),
        QStringLiteral("a=b;c"),
        QStringLiteral("[Setup]"),
        QStringLiteral("two\r\nlines\nand\rmore\r"),
        QStringLiteral("caf\u00e9 \u20ac \U0001F600"),
        QString(QChar(0)) + QStringLiteral("x"),
        QString::fromUtf8(bytes.right(24)),
    };
    for (const QString &value : values) {
        IniDocument changed = doc;
        changed.setValue(name.section, name.key, value);
        const IniDocument written = saveAndLoad(changed);
        FUZZ_CHECK(written.contains(name.section, name.key));
        FUZZ_CHECK(written.value(name.section, name.key) == asWritten(value));
        checkOthersKept(before, written, name);
    }

    IniDocument removed = doc;
    removed.removeKey(name.section, name.key);
    const IniDocument written = saveAndLoad(removed);
    FUZZ_CHECK(!written.contains(name.section, name.key));
    checkOthersKept(before, written, name);

    IniDocument replaced = doc;
    const QList<std::pair<QString, QString>> section = {
        {name.key.toString(), values[4]}, {QStringLiteral("Other"), QStringLiteral("x")}};
    replaced.replaceSection(name.section, section);
    const QList<std::pair<QString, QString>> expected = {
        {name.key.toString(), asWritten(values[4])},
        {QStringLiteral("Other"), QStringLiteral("x")}};
    FUZZ_CHECK(saveAndLoad(replaced).entries(name.section) == expected);
    checkOthersKept(before, saveAndLoad(replaced), {name.section, {}});
    return 0;
}
