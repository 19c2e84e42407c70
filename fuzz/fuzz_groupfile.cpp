// Any bytes as a group file: reading never crashes, reading from a device gives
// what parsing the bytes gives, a read cut short by a device error keeps only
// records read whole, and what was read survives a save and a second read.

#include "fuzzcheck.h"
#include "settings/number.h"
#include "store/groupfile.h"

#include <QBuffer>
#include <QByteArrayView>

namespace {

// Gives its first failAt bytes, then fails as a disk error would.
class FailingBuffer : public QBuffer
{
public:
    explicit FailingBuffer(qint64 failAt)
        : m_failAt(failAt)
    {}

protected:
    qint64 readData(char *out, qint64 max) override
    {
        if (pos() < m_failAt)
            return QBuffer::readData(out, std::min(max, m_failAt - pos()));
        return -1;
    }

private:
    qint64 m_failAt;
};

struct Read
{
    QList<TextEntry> entries;
    ParseProblems problems;
    bool header = false;
};

bool sameProblems(const ParseProblems &a, const ParseProblems &b)
{
    return a.count == b.count && a.firstError == b.firstError && a.firstLine == b.firstLine &&
           a.firstLineText == b.firstLineText;
}

Read parse(const QByteArray &bytes)
{
    Read r;
    r.entries = parseGroup(bytes, &r.problems, &r.header);
    return r;
}

Read read(QBuffer *device, GroupLoadResult::Status expected)
{
    Read r;
    FUZZ_CHECK(device->open(QIODevice::ReadOnly));
    const GroupLoadResult result = readGroup(device);
    FUZZ_CHECK(result.status == expected);
    r.entries = result.entries;
    r.problems = result.problems;
    return r;
}

// Reading from a device gives what parsing the bytes gives; a read error halfway
// keeps only records of lines read whole, and for a file in one encoding
// throughout, exactly the first records of the whole file.
void checkDeviceReads(const QByteArray &bytes, const Read &parsed)
{
    QBuffer whole;
    whole.setData(bytes);
    // A file without its header line is no group file, however it reads.
    const bool group = parsed.header || bytes.isEmpty();
    const Read fromDevice =
        read(&whole, group ? GroupLoadResult::Status::Loaded : GroupLoadResult::Status::Failed);
    FUZZ_CHECK(fromDevice.entries == parsed.entries);
    FUZZ_CHECK(sameProblems(fromDevice.problems, parsed.problems));

    FailingBuffer failing(bytes.size() / 2);
    failing.setData(bytes);
    const Read cut = read(&failing, GroupLoadResult::Status::Failed);
    FUZZ_CHECK(cut.entries.size() <= parsed.entries.size());
    if (QByteArrayView(bytes).isValidUtf8()) {
        FUZZ_CHECK(cut.entries == parsed.entries.first(cut.entries.size()));
        FUZZ_CHECK(cut.problems.count <= parsed.problems.count);
        if (!cut.problems.isEmpty())
            FUZZ_CHECK(cut.problems.firstLine == parsed.problems.firstLine);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzz::bytesOf(data, size);
    const Read parsed = parse(bytes);
    // Every record comes from a line holding "=".
    FUZZ_CHECK(parsed.entries.size() <= bytes.count('='));

    // A read from a device takes a buffer of a megabyte, which the sanitizers make
    // slow to come by: one input in four goes through the devices as well.
    if (size % 4 == 0)
        checkDeviceReads(bytes, parsed);

    // Saved and read again: the records with a text, unchanged and without errors.
    QList<TextEntry> kept;
    for (const TextEntry &e : parsed.entries) {
        if (!isBlank(e.text))
            kept.append(e);
    }
    const QByteArray saved = serializeGroup(parsed.entries);
    const Read reread = parse(saved);
    FUZZ_CHECK(reread.problems.isEmpty());
    FUZZ_CHECK(reread.entries == kept);
    FUZZ_CHECK(serializeGroup(reread.entries) == saved);
    return 0;
}
