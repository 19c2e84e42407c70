// Saving any entries and loading the file again gives the same entries back:
// every text, caption and flag, whatever characters they hold. Only entries with
// a blank text are left out, as the save leaves them out.

#include "fuzzcheck.h"
#include "settings/number.h"
#include "store/groupfile.h"

#include <QByteArrayView>

namespace {

// Reads the fuzzer's bytes as entries. Most bytes stand for one character; the
// low ones for the characters the file format treats specially, so that the
// fuzzer meets them often.
class EntryReader
{
public:
    EntryReader(const uint8_t *data, size_t size)
        : m_p(data)
        , m_end(data + size)
    {}

    bool atEnd() const { return m_p == m_end; }

    TextEntry entry()
    {
        TextEntry e;
        e.protectFlag = flag();
        e.namedFlag = flag();
        e.text = string();
        e.caption = string();
        return e;
    }

private:
    uint8_t byte() { return atEnd() ? 0 : *m_p++; }

    qint16 flag()
    {
        const uint8_t lo = byte();
        return qint16(uint16_t(lo | byte() << 8));
    }

    // Up to the byte 0xFF or the end of the input.
    QString string()
    {
        static constexpr char16_t special[] = {u'\r',  u'\n',  u',',   0,     1,      2,
                                               3,      u' ',   u'=',   u'\t', 0xD800, 0xDBFF,
                                               0xDC00, 0xDFFF, 0xFEFF, 0xFFFD};
        QString s;
        while (!atEnd()) {
            const uint8_t b = byte();
            if (b == 0xFF)
                break;
            if (b < std::size(special)) {
                s += QChar(special[b]);
            } else if (b == 0x10) {
                s += QLatin1String("\r\n");
            } else if (b == 0x11) {
                s += QChar(3) + QLatin1Char('r'); // looks like an escape sequence
            } else if (b == 0x12) {
                s += QChar(3) + QLatin1String("ud800");
            } else if (b == 0xFE) {
                s += QStringView(u"\U0001F600"); // a surrogate pair
            } else if (b >= 0xF0) {
                const uint8_t lo = byte();
                s += QChar(char16_t(lo | byte() << 8)); // any code unit
            } else {
                s += QChar(char16_t(b)); // ASCII and Latin-1
            }
        }
        return s;
    }

    const uint8_t *m_p;
    const uint8_t *m_end;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QList<TextEntry> entries;
    QList<TextEntry> kept;
    for (EntryReader reader(data, size); !reader.atEnd();) {
        entries.append(reader.entry());
        if (!isBlank(entries.last().text))
            kept.append(entries.last());
    }

    const QByteArray file = serializeGroup(entries);
    FUZZ_CHECK(QByteArrayView(file).isValidUtf8());

    ParseProblems problems;
    const QList<TextEntry> loaded = parseGroup(file, &problems, nullptr);
    FUZZ_CHECK(problems.isEmpty());
    FUZZ_CHECK(loaded.size() == kept.size());
    for (qsizetype i = 0; i < kept.size(); ++i) {
        if (loaded.at(i) != kept.at(i)) {
            std::fprintf(stderr, "entry %d\n text   %s\n loaded %s\n caption %s\n loaded  %s\n",
                         int(i), fuzz::unitsOf(kept.at(i).text).constData(),
                         fuzz::unitsOf(loaded.at(i).text).constData(),
                         fuzz::unitsOf(kept.at(i).caption).constData(),
                         fuzz::unitsOf(loaded.at(i).caption).constData());
            FUZZ_CHECK(loaded.at(i) == kept.at(i));
        }
    }
    // Saving what was loaded writes the same file again.
    FUZZ_CHECK(serializeGroup(loaded) == file);
    return 0;
}
