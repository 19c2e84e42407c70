#include "crashcontent.h"
#include "settings/number.h"
#include "store/groupfile.h"
#include "storetestutil.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <cstring>
#include <unistd.h>

using Entries = QList<TextEntry>;

namespace {

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// File bytes written readably: "|" is CR LF, "^A" "^B" "^C" are the bytes 0x01 0x02 0x03.
QByteArray bytes(const char *text)
{
    return QByteArray(text)
        .replace("^A", "\x01")
        .replace("^B", "\x02")
        .replace("^C", "\x03")
        .replace("|", "\r\n");
}

QByteArray legacyFile(const char *name)
{
    return readBytes(QStringLiteral(PB_TEST_DATA_DIR "/groupfiles/") + QLatin1String(name));
}

// Gives its data, then fails as a disk error would.
class FailingDevice : public QIODevice
{
public:
    FailingDevice(QByteArray data, qint64 failAt)
        : m_data(std::move(data))
        , m_failAt(failAt)
    {}

    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *out, qint64 max) override
    {
        const qint64 n = std::min(max, m_failAt - m_offset);
        if (n <= 0) {
            setErrorString(QStringLiteral("I/O error"));
            return -1;
        }
        std::memcpy(out, m_data.constData() + m_offset, size_t(n));
        m_offset += n;
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_data;
    qint64 m_failAt;
    qint64 m_offset = 0;
};

// Any UTF-16 code unit, with the ones the file format treats specially made common.
QString randomText(QRandomGenerator &rng)
{
    static const char16_t special[] = {u'\r', u'\n', 1, 2, 3, u',', u'=', u' ', 0, 0xD800, 0xDFFF};
    QString s;
    const int length = int(rng.bounded(40));
    for (int i = 0; i < length; ++i) {
        switch (rng.bounded(4)) {
        case 0:
            s += QChar(special[rng.bounded(int(std::size(special)))]);
            break;
        case 1: // a surrogate pair
            s += QChar(char16_t(0xD800 + rng.bounded(0x400)));
            s += QChar(char16_t(0xDC00 + rng.bounded(0x400)));
            break;
        default:
            s += QChar(char16_t(rng.bounded(0x10000)));
        }
    }
    return s;
}

} // namespace

class TestGroupFile : public QObject
{
    Q_OBJECT

private slots:
    void legacyFiles_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<Entries>("expected");
        QTest::addColumn<int>("errors");
        const auto row = [](const char *file, const Entries &expected, int errors = 0) {
            QTest::newRow(file) << legacyFile(file) << expected << errors;
        };
        row("written.dat", {te(u"a,b\r\nc"), te(u"protected", 1),
                            te(u"named text", 1, u"a caption, with comma", 1),
                            te(u"two\r\nlines\r\n", 0, u"cap\r\ntion")});
        row("cp1252.dat",
            {te(u"caf\u00e9 \u20ac 5"), te(u"na\u00efve\r\n\u201cq\u201d", 1, u"Cap\u00e9", 1)});
        row("oddkeys.dat",
            {te(u"five"), te(u"three", 1), te(u"nokey"), te(u"odd key"), te(u"no number")});
        row("noequals.dat", {te(u"a"), te(u"b")});
        row("fields.dat", {te(u"a", 1, u"c", 1), te(u"b", 0, u"cap"), te(u"only text"), te(u"t", 1),
                           te(u"u", 1, u"cap")});
        row("flags.dat",
            {te(u"one", 2, {}, 2), te(u"two", 0, {}, -2), te(u"three"), te(u"four", 1, u"cap"),
             te(u"five", 7, {}, -32768)},
            2);
        row("equals.dat", {te(u"a=b=c"), te(u"=start", 0, u"x=y")});
        row("blank.dat", {te(u"first", 1, u"cap", 1), te({}), te({}), te(u"short")});
        row("crlines.dat", {te(u"a"), te(u"b\nstill b", 1), te(u"c"), te(u"e", 0, {}, 1)});
    }
    void legacyFiles()
    {
        QFETCH(QByteArray, file);
        QFETCH(Entries, expected);
        QFETCH(int, errors);
        QStringList messages;
        QCOMPARE(parseGroup(file, [&](const QString &m) { messages << m; }), expected);
        QCOMPARE(messages.size(), errors);
        for (const QString &m : std::as_const(messages))
            QCOMPARE(m, QStringLiteral("gsSetTextDataFromFileData(): Overflow"));
    }

    void olderFileWrittenBackUnchanged()
    {
        const QByteArray file = legacyFile("written.dat");
        QCOMPARE(serializeGroup(parseGroup(file, {})), file);
    }

    void serialize_data()
    {
        QTest::addColumn<Entries>("entries");
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("empty") << Entries{} << bytes("[ListData]|");
        QTest::newRow("comma and crlf")
            << Entries{te(u"a,b\r\nc")} << bytes("[ListData]|Text1=a^Bb^Ac,0,,0|");
        QTest::newRow("blank skipped, numbers without gaps")
            << Entries{te(u"  ", 1, u"c", 1), te(u"x", -3, u"\u00e9", 1), te({}), te(u" y ")}
            << bytes("[ListData]|Text1=x,-3,\xc3\xa9,1|Text2= y ,0,,0|");
        QTest::newRow("escape char alone needs no marker")
            << Entries{te(u"a\x03r")} << bytes("[ListData]|Text1=a^Cr,0,,0|");
        QTest::newRow("lone cr") << Entries{te(u"a\rb\r\n\x03", 1, u"c,")}
                                 << bytes("[ListData]|Text1=a^Crb^A^C3,1,c^B,0,x1|");
        QTest::newRow("control bytes in caption")
            << Entries{te(u"t", 0, u"\x01\x02", 1)} << bytes("[ListData]|Text1=t,0,^C1^C2,1,x1|");
        QTest::newRow("unpaired surrogate") << Entries{te(u"\xD83D"
                                                          u"a")}
                                            << bytes("[ListData]|Text1=^Cud83da,0,,0,x1|");
    }
    void serialize()
    {
        QFETCH(Entries, entries);
        QFETCH(QByteArray, file);
        QCOMPARE(serializeGroup(entries), file);
        entries.removeIf([](const TextEntry &e) { return isBlank(e.text); });
        QCOMPARE(parseGroup(file, {}), entries);
    }

    void escapesOnlyInMarkedRecords_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<TextEntry>("expected");
        QTest::newRow("unmarked") << bytes("a^Cr,0,^C1,0")
                                  << te(u"a\x03r", 0,
                                        u"\x03"
                                        u"1");
        QTest::newRow("other fifth field") << bytes("a^Cr,0,,0,x2") << te(u"a\x03r");
        QTest::newRow("unknown escape kept")
            << bytes("^Cq^Cu12^C,0,,0,x1") << te(u"\x03q\x03u12\x03");
        QTest::newRow("marked") << bytes("^Cr^Cu00e9^A,5,^B,0,x1") << te(u"\r\u00e9\r\n", 5, u",");
    }
    void escapesOnlyInMarkedRecords()
    {
        QFETCH(QByteArray, value);
        QFETCH(TextEntry, expected);
        QCOMPARE(parseRecordValue(QString::fromUtf8(value), {}), expected);
    }

    void randomRoundTrip()
    {
        const quint32 seed = 20240611;
        qInfo("seed %u", seed);
        QRandomGenerator rng(seed);
        Entries entries;
        Entries kept;
        for (int i = 0; i < 400; ++i) {
            const TextEntry e{randomText(rng), qint16(rng.bounded(-32768, 32768)), randomText(rng),
                              qint16(rng.bounded(-32768, 32768))};
            entries << e;
            if (!isBlank(e.text))
                kept << e;
        }
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("group1.dat"));
        QVERIFY(saveGroupFile(path, dir.filePath(QStringLiteral("TempGroup.tmp")), entries));
        const GroupLoadResult loaded = loadGroupFile(path, {});
        QCOMPARE(loaded.status, GroupLoadResult::Status::Loaded);
        QCOMPARE(loaded.entries, kept);
    }

    void missingFileThenFirstSave()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("group4.dat"));
        const QString temp = dir.filePath(QStringLiteral("TempGroup.tmp"));
        const GroupLoadResult loaded = loadGroupFile(path, {});
        QCOMPARE(loaded.status, GroupLoadResult::Status::Missing);
        QVERIFY(loaded.entries.isEmpty());
        QFile leftover(temp);
        QVERIFY(leftover.open(QIODevice::WriteOnly) && leftover.write("stale junk") > 0);
        leftover.close();
        QVERIFY(saveGroupFile(path, temp, {}));
        QCOMPARE(readBytes(path), QByteArray("[ListData]\r\n"));
        QVERIFY(!QFile::exists(temp));
        QCOMPARE(QFile::permissions(path) & 0x0077, QFileDevice::Permissions());
    }

    // Copying the temporary file over the group file writes into the file in place:
    // a crash in between leaves a torn group. It must be replaced whole instead.
    void saveReplacesNotOverwrites()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("group0.dat"));
        const QString temp = dir.filePath(QStringLiteral("TempGroup.tmp"));
        QVERIFY(saveGroupFile(path, temp, {te(u"old")}));
        const QString link = dir.filePath(QStringLiteral("old-link"));
        QCOMPARE(::link(QFile::encodeName(path).constData(), QFile::encodeName(link).constData()),
                 0);
        QVERIFY(saveGroupFile(path, temp, {te(u"new")}));
        QCOMPARE(readBytes(link), bytes("[ListData]|Text1=old,0,,0|"));
        QCOMPARE(readBytes(path), bytes("[ListData]|Text1=new,0,,0|"));
    }

    void readFailsPartWay_data()
    {
        QTest::addColumn<int>("failAt");
        QTest::addColumn<Entries>("expected");
        // A cut inside a two-byte character must not turn the whole read into
        // Windows-1252, nor give half a line.
        QTest::newRow("inside a character") << 22 << Entries{te(u"\u00e9")};
        QTest::newRow("inside the first record") << 15 << Entries{};
        QTest::newRow("between cr and lf") << 24 << Entries{te(u"\u00e9"), te(u"b\u00e9")};
    }
    void readFailsPartWay()
    {
        QFETCH(int, failAt);
        QFETCH(Entries, expected);
        FailingDevice device("[ListData]\r\nT=\xc3\xa9\r\nT=b\xc3\xa9\r\nT=c\r\n", failAt);
        QVERIFY(device.open(QIODevice::ReadOnly));
        const GroupLoadResult result = readGroup(&device, {});
        QCOMPARE(result.status, GroupLoadResult::Status::Failed);
        QCOMPARE(result.entries, expected);
        QCOMPARE(result.error, QStringLiteral("I/O error"));
    }

    void unreadableFileSetAside()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("group3.dat"));
        QVERIFY(QDir().mkdir(path)); // exists, but cannot be read as a file
        const GroupLoadResult result = loadGroupFile(path, {});
        QCOMPARE(result.status, GroupLoadResult::Status::Failed);
        QVERIFY(result.setAsidePath.startsWith(path + QStringLiteral(".unreadable-")));
        QVERIFY(QFileInfo(result.setAsidePath).isDir());
        QVERIFY(!QFileInfo::exists(path));
        QVERIFY(saveGroupFile(path, dir.filePath(QStringLiteral("t.tmp")), {}));
    }

    // A save killed at any moment leaves the group file whole: the old content or the new.
    void killedSaveLeavesWholeFile()
    {
        // On tmpfs, where there is one, a save is not slowed down by flushing to disk.
        QTemporaryDir dir(QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                              ? QStringLiteral("/dev/shm/groupfile-XXXXXX")
                              : QDir::tempPath() + QStringLiteral("/groupfile-XXXXXX"));
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("group1.dat"));
        const QString temp = dir.filePath(QStringLiteral("TempGroup.tmp"));
        const Entries first = crashContent(false);
        const Entries second = crashContent(true);
        QElapsedTimer timer;
        timer.start();
        QVERIFY(saveGroupFile(path, temp, first));
        const qint64 saveUs = std::max<qint64>(timer.nsecsElapsed() / 1000, 1000);

        QProcess saver;
        saver.start(QStringLiteral(PB_GROUPSAVER), {path, temp});
        QVERIFY(saver.waitForStarted());
        const auto readLine = [&saver] {
            while (!saver.canReadLine() && saver.waitForReadyRead(10000)) {
            }
            return saver.readLine().trimmed();
        };
        QRandomGenerator rng(7);
        int seenFirst = 0, seenSecond = 0, killedWhileWriting = 0;
        for (int round = 0; round < 100; ++round) {
            saver.write("go\n");
            const pid_t child = readLine().toInt();
            QVERIFY(child > 0);
            QThread::usleep(rng.bounded(5 * saveUs + 10000));
            QCOMPARE(::kill(child, SIGKILL), 0);
            QCOMPARE(readLine(), QByteArray("gone"));
            killedWhileWriting += QFile::exists(temp);
            const GroupLoadResult loaded = loadGroupFile(path, {});
            QCOMPARE(loaded.status, GroupLoadResult::Status::Loaded);
            QVERIFY2(
                loaded.entries == first || loaded.entries == second,
                qPrintable(
                    QStringLiteral("round %1: %2 entries").arg(round).arg(loaded.entries.size())));
            (loaded.entries == first ? seenFirst : seenSecond) += 1;
        }
        saver.closeWriteChannel();
        QVERIFY(saver.waitForFinished());
        qInfo("save %lld us; first %d, second %d, killed while writing %d", saveUs, seenFirst,
              seenSecond, killedWhileWriting);
        // Saves must have completed between kills, or nothing was tested. (Whether
        // the group file is ever written in place is checked by saveReplacesNotOverwrites.)
        QVERIFY(seenSecond > 0);
    }
};

QTEST_GUILESS_MAIN(TestGroupFile)
#include "tst_groupfile.moc"
