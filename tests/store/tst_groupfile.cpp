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
        QTest::newRow("written") << legacyFile("written.dat")
                                 << Entries{entry(QStringLiteral("a,b\r\nc")),
                                            entry(QStringLiteral("protected"), 1),
                                            entry(QStringLiteral("named text"), 1,
                                                  QStringLiteral("a caption, with comma"), 1),
                                            entry(QStringLiteral("two\r\nlines\r\n"), 0,
                                                  QStringLiteral("cap\r\ntion"))}
                                 << 0;
        QTest::newRow("windows-1252")
            << legacyFile("cp1252.dat")
            << Entries{entry(QStringLiteral("caf\u00e9 \u20ac 5")),
                       entry(QStringLiteral("na\u00efve\r\n\u201cq\u201d"), 1,
                             QStringLiteral("Cap\u00e9"), 1)}
            << 0;
        QTest::newRow("odd keys") << legacyFile("oddkeys.dat")
                                  << Entries{entry(QStringLiteral("five")),
                                             entry(QStringLiteral("three"), 1),
                                             entry(QStringLiteral("nokey")),
                                             entry(QStringLiteral("odd key")),
                                             entry(QStringLiteral("no number"))}
                                  << 0;
        QTest::newRow("no equals")
            << legacyFile("noequals.dat")
            << Entries{entry(QStringLiteral("a")), entry(QStringLiteral("b"))} << 0;
        QTest::newRow("fields") << legacyFile("fields.dat")
                                << Entries{entry(QStringLiteral("a"), 1, QStringLiteral("c"), 1),
                                           entry(QStringLiteral("b"), 0, QStringLiteral("cap")),
                                           entry(QStringLiteral("only text")),
                                           entry(QStringLiteral("t"), 1),
                                           entry(QStringLiteral("u"), 1, QStringLiteral("cap"))}
                                << 0;
        QTest::newRow("flags") << legacyFile("flags.dat")
                               << Entries{entry(QStringLiteral("one"), 2, {}, 2),
                                          entry(QStringLiteral("two"), 0, {}, -2),
                                          entry(QStringLiteral("three")),
                                          entry(QStringLiteral("four"), 1, QStringLiteral("cap")),
                                          entry(QStringLiteral("five"), 7, {}, -32768)}
                               << 2;
        QTest::newRow("equals") << legacyFile("equals.dat")
                                << Entries{entry(QStringLiteral("a=b=c")),
                                           entry(QStringLiteral("=start"), 0,
                                                 QStringLiteral("x=y"))}
                                << 0;
        QTest::newRow("blank values")
            << legacyFile("blank.dat")
            << Entries{entry(QStringLiteral("first"), 1, QStringLiteral("cap"), 1), TextEntry{},
                       TextEntry{}, entry(QStringLiteral("short"))}
            << 0;
        QTest::newRow("cr line ends")
            << legacyFile("crlines.dat")
            << Entries{entry(QStringLiteral("a")), entry(QStringLiteral("b\nstill b"), 1),
                       entry(QStringLiteral("c")), entry(QStringLiteral("e"), 0, {}, 1)}
            << 0;
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
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << Entries{} << QByteArray("[ListData]\r\n");
        QTest::newRow("comma and crlf") << Entries{entry(QStringLiteral("a,b\r\nc"))}
                                        << QByteArray("[ListData]\r\nText1=a\x02"
                                                      "b\x01"
                                                      "c,0,,0\r\n");
        QTest::newRow("blank skipped, numbers without gaps")
            << Entries{entry(QStringLiteral("  "), 1, QStringLiteral("c"), 1),
                       entry(QStringLiteral("x"), -3, QStringLiteral("\u00e9"), 1), TextEntry{},
                       entry(QStringLiteral(" y "))}
            << QByteArray("[ListData]\r\nText1=x,-3,\xc3\xa9,1\r\nText2= y ,0,,0\r\n");
        QTest::newRow("escape char alone needs no marker")
            << Entries{entry(QStringLiteral("a\x03r"))}
            << QByteArray("[ListData]\r\nText1=a\x03r,0,,0\r\n");
        QTest::newRow("lone cr") << Entries{entry(QStringLiteral("a\rb\r\n\x03"), 1,
                                                  QStringLiteral("c,"))}
                                 << QByteArray("[ListData]\r\nText1=a\x03rb\x01\x03"
                                               "3,1,c\x02,0,x1\r\n");
        QTest::newRow("control bytes in caption")
            << Entries{entry(QStringLiteral("t"), 0, QStringLiteral("\x01\x02"), 1)}
            << QByteArray("[ListData]\r\nText1=t,0,\x03"
                          "1\x03"
                          "2,1,x1\r\n");
        QTest::newRow("unpaired surrogate")
            << Entries{entry(QString(QChar(0xD83D)) + QLatin1Char('a'))}
            << QByteArray("[ListData]\r\nText1=\x03ud83da,0,,0,x1\r\n");
    }
    void serialize()
    {
        QFETCH(Entries, entries);
        QFETCH(QByteArray, bytes);
        QCOMPARE(serializeGroup(entries), bytes);
        Entries kept;
        for (const TextEntry &e : std::as_const(entries)) {
            if (!isBlank(e.text))
                kept << e;
        }
        QCOMPARE(parseGroup(bytes, {}), kept);
    }

    void escapesOnlyInMarkedRecords_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<TextEntry>("expected");
        QTest::newRow("unmarked") << QStringLiteral("a\x03r,0,\x03"
                                                    "1,0")
                                  << entry(QStringLiteral("a\x03r"), 0,
                                           QStringLiteral("\x03"
                                                          "1"));
        QTest::newRow("other fifth field")
            << QStringLiteral("a\x03r,0,,0,x2") << entry(QStringLiteral("a\x03r"));
        QTest::newRow("unknown escape kept") << QStringLiteral("\x03q\x03u12\x03,0,,0,x1")
                                             << entry(QStringLiteral("\x03q\x03u12\x03"));
        QTest::newRow("marked") << QStringLiteral("\x03r\x03u00e9\x01,5,\x02,0,x1")
                                << entry(QStringLiteral("\r\u00e9\r\n"), 5, QStringLiteral(","));
    }
    void escapesOnlyInMarkedRecords()
    {
        QFETCH(QString, value);
        QFETCH(TextEntry, expected);
        QCOMPARE(parseRecordValue(value, {}), expected);
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
        QVERIFY(saveGroupFile(path, temp, {entry(QStringLiteral("old"))}));
        const QString link = dir.filePath(QStringLiteral("old-link"));
        QCOMPARE(::link(QFile::encodeName(path).constData(), QFile::encodeName(link).constData()),
                 0);
        QVERIFY(saveGroupFile(path, temp, {entry(QStringLiteral("new"))}));
        QCOMPARE(readBytes(link), QByteArray("[ListData]\r\nText1=old,0,,0\r\n"));
        QCOMPARE(readBytes(path), QByteArray("[ListData]\r\nText1=new,0,,0\r\n"));
    }

    void failedSaveKeepsFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("group0.dat"));
        QVERIFY(saveGroupFile(path, dir.filePath(QStringLiteral("t.tmp")),
                              {entry(QStringLiteral("a"))}));
        QString error;
        QVERIFY(!saveGroupFile(path, dir.filePath(QStringLiteral("missing/t.tmp")), {}, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(readBytes(path), QByteArray("[ListData]\r\nText1=a,0,,0\r\n"));
    }

    void readFailsPartWay_data()
    {
        QTest::addColumn<int>("failAt");
        QTest::addColumn<Entries>("expected");
        // A cut inside a two-byte character must not turn the whole read into
        // Windows-1252, nor give half a line.
        QTest::newRow("inside a character") << 22 << Entries{entry(QStringLiteral("\u00e9"))};
        QTest::newRow("inside the first record") << 15 << Entries{};
        QTest::newRow("between cr and lf")
            << 24 << Entries{entry(QStringLiteral("\u00e9")), entry(QStringLiteral("b\u00e9"))};
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
