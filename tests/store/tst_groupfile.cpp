#include "settings/number.h"
#include "store/groupfile.h"
#include "storetestutil.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

using Entries = QList<TextEntry>;

namespace {

// File bytes written readably: "|" is CR LF, "^A" "^B" "^C" are the bytes 0x01 0x02 0x03.
QByteArray bytes(const char *text)
{
    QByteArray b(text);
    return b.replace("^A", "\x01").replace("^B", "\x02").replace("^C", "\x03").replace("|", "\r\n");
}

QByteArray legacyFile(const char *name)
{
    return readBytes(QStringLiteral(PB_TEST_DATA_DIR "/groupfiles/") + QLatin1String(name));
}

// Gives its first failAt bytes, then fails as a disk error would.
struct FailingBuffer : QBuffer
{
    qint64 failAt = 0;
    qint64 readData(char *out, qint64 max) override
    {
        if (pos() < failAt)
            return QBuffer::readData(out, std::min(max, failAt - pos()));
        return -1;
    }
};

// Any UTF-16 code units, half of them ones the file format treats specially; the
// two surrogates among them also meet as pairs.
QString randomText(QRandomGenerator &rng)
{
    static const char16_t special[] = {u'\r', u'\n', 1, 2, 3, u',', u'=', u' ', 0, 0xD800, 0xDFFF};
    QString s;
    for (int i = int(rng.bounded(40)); i > 0; --i)
        s += QChar(rng.bounded(2) ? special[rng.bounded(int(std::size(special)))]
                                  : char16_t(rng.bounded(0x10000)));
    return s;
}

} // namespace

class TestGroupFile : public QObject
{
    Q_OBJECT

    // On tmpfs, where there is one, a save is not slowed down by flushing to disk.
    QTemporaryDir dir{QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                          ? QStringLiteral("/dev/shm/groupfile-XXXXXX")
                          : QDir::tempPath() + QStringLiteral("/groupfile-XXXXXX")};
    QString at(const char *name) const { return dir.filePath(QLatin1String(name)); }

private slots:
    void parse_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<Entries>("expected");
        QTest::addColumn<int>("overflows");
        const auto file = [](const char *name, const Entries &expected, int overflows = 0) {
            QTest::newRow(name) << legacyFile(name) << expected << overflows;
        };
        file("written.dat", {te(u"a,b\r\nc"), te(u"protected", 1),
                             te(u"named text", 1, u"a caption, with comma", 1),
                             te(u"two\r\nlines\r\n", 0, u"cap\r\ntion")});
        file("cp1252.dat",
             {te(u"caf\u00e9 \u20ac 5"), te(u"na\u00efve\r\n\u201cq\u201d", 1, u"Cap\u00e9", 1)});
        file("oddkeys.dat",
             {te(u"five"), te(u"three", 1), te(u"nokey"), te(u"odd key"), te(u"no number")});
        file("noequals.dat", {te(u"a"), te(u"b")});
        file("fields.dat", {te(u"a", 1, u"c", 1), te(u"b", 0, u"cap"), te(u"only text"),
                            te(u"t", 1), te(u"u", 1, u"cap")});
        // An overflowing flag ends its record's parse; the record is still appended.
        file("flags.dat",
             {te(u"one", 2, {}, 2), te(u"two", 0, {}, -2), te(u"three"), te(u"four", 1, u"cap"),
              te(u"five", 7, {}, -32768)},
             2);
        file("equals.dat", {te(u"a=b=c"), te(u"=start", 0, u"x=y")});
        file("blank.dat", {te(u"first", 1, u"cap", 1), te({}), te({}), te(u"short")});
        file("crlines.dat", {te(u"a"), te(u"b\nstill b", 1), te(u"c"), te(u"e", 0, {}, 1)});
        // One stray byte makes only its own line Windows-1252.
        QTest::newRow("one stray byte")
            << bytes("[ListData]|Text1=caf\xc3\xa9,0,\xe2\x82\xac,1|Text2=na\xefve|T=\xe4\xb8\xad|")
            << Entries{te(u"caf\u00e9", 0, u"\u20ac", 1), te(u"na\u00efve"), te(u"\u4e2d")} << 0;
        QString many;
        for (int i = 0; i < 3000; ++i)
            many += QStringLiteral("T=x,99999\r\n");
        QTest::newRow("thousands of bad flags") << many.toUtf8() << Entries(3000, te(u"x")) << 3000;
    }
    void parse()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, overflows);
        ParseProblems problems;
        QFETCH(Entries, expected);
        QCOMPARE(parseGroup(file, &problems), expected);
        QCOMPARE(problems.count, overflows);
        if (overflows)
            QCOMPARE(problems.firstError, QStringLiteral("Overflow"));
    }

    void serialize()
    {
        const QByteArray older = legacyFile("written.dat");
        QCOMPARE(serializeGroup(parseGroup(older, {})), older);
        // Blank texts are left out without a gap in the numbers. A record holding what
        // the plain form cannot carry is marked "x1" and escaped; 0x03 alone needs no mark.
        const Entries entries{te(u"  ", 1, u"c", 1), te(u"x", -3, u"\u00e9", 1), te(u"a\x03r"),
                              te(u"a\rb\r\n\x03", 1, u"c,"), te(u"\xD83Dz", 0, u"\x01\x02", 1)};
        const QByteArray file = bytes("[ListData]|Text1=x,-3,\xc3\xa9,1|Text2=a^Cr,0,,0|"
                                      "Text3=a^Crb^A^C3,1,c^B,0,x1|Text4=^Cud83dz,0,^C1^C2,1,x1|");
        QCOMPARE(serializeGroup(entries), file);
        QCOMPARE(parseGroup(file, {}), entries.mid(1));
        // Long texts with many line breaks and commas keep the plain form exactly.
        const QString text = QStringLiteral("\u00e9,b\r\n").repeated(5000);
        const QByteArray plain = "[ListData]\r\nText1=" +
                                 QByteArray("\xc3\xa9\x02"
                                            "b\x01")
                                     .repeated(5000) +
                                 ",1,c\x02,0\r\n";
        QCOMPARE(serializeGroup({te(text, 1, u"c,")}), plain);
        QCOMPARE(parseGroup(plain), Entries{te(text, 1, u"c,")});
    }

    void randomRoundTrip()
    {
        QRandomGenerator rng(20240611);
        Entries entries;
        for (int i = 0; i < 400; ++i)
            entries << TextEntry{randomText(rng), qint16(rng.bounded(-32768, 32768)),
                                 randomText(rng), qint16(rng.bounded(-32768, 32768))};
        QVERIFY(saveGroupFile(at("random.dat"), entries));
        const GroupLoadResult loaded = loadGroupFile(at("random.dat"));
        QCOMPARE(loaded.status, GroupLoadResult::Status::Loaded);
        entries.removeIf([](const TextEntry &e) { return isBlank(e.text); });
        QCOMPARE(loaded.entries, entries);
    }

    // A read cut short inside a two-byte character keeps only the lines read whole:
    // no half line, and no broken character turning the whole read into Windows-1252.
    void readFailsPartWay()
    {
        FailingBuffer device;
        device.failAt = 22;
        device.setData("[ListData]\r\nT=\xc3\xa9\r\nT=b\xc3\xa9\r\nT=c\r\n");
        QVERIFY(device.open(QIODevice::ReadOnly));
        const GroupLoadResult result = readGroup(&device);
        QCOMPARE(result.status, GroupLoadResult::Status::Failed);
        QCOMPARE(result.entries, Entries{te(u"\u00e9")});
    }

    // What could not be read is moved aside, so that a later save cannot drop it.
    void unreadableFileSetAside()
    {
        const QString path = at("group3.dat");
        QVERIFY(QDir().mkdir(path)); // exists, but cannot be read as a file
        const GroupLoadResult result = loadGroupFile(path);
        QCOMPARE(result.status, GroupLoadResult::Status::Failed);
        QVERIFY(result.setAsidePath.startsWith(path + QStringLiteral(".unreadable-")));
        QVERIFY(QFileInfo(result.setAsidePath).isDir());
        QVERIFY(!QFileInfo::exists(path));
    }

    // A save killed at any moment leaves the group file whole: the old content or the
    // new. (Writing into the group file in place, even from a finished temporary file,
    // fails this at once.) A missing file is an empty group.
    void killedSaveLeavesWholeFile()
    {
        const QString path = at("group1.dat");
        QCOMPARE(loadGroupFile(path).status, GroupLoadResult::Status::Missing);
        const QString line = QStringLiteral("a line of the group\r\n");
        const Entries first(4, te(line.repeated(300), 1));
        const Entries second(3, te(line.repeated(450), 0, u"second"));
        QElapsedTimer timer;
        timer.start();
        QVERIFY(saveGroupFile(path, first));
        const qint64 saveUs = std::max<qint64>(timer.nsecsElapsed() / 1000, 1000);
        QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("group1*")}, QDir::Files),
                 QStringList{QStringLiteral("group1.dat")}); // no temporary file left

        QRandomGenerator rng(7);
        int seenSecond = 0;
        for (int round = 0; round < 100; ++round) {
            const pid_t parent = ::getpid();
            const pid_t child = ::fork(); // saves the two contents in turn until killed
            if (child == 0) {
                // Should the test be killed first (a timeout), the saver goes with it.
                ::prctl(PR_SET_PDEATHSIG, SIGKILL);
                if (::getppid() != parent)
                    ::_exit(0);
                for (int i = 1;; ++i)
                    saveGroupFile(path, i % 2 ? second : first);
            }
            QVERIFY(child > 0);
            QThread::usleep(rng.bounded(5 * saveUs + 10000));
            QCOMPARE(::kill(child, SIGKILL), 0);
            QCOMPARE(::waitpid(child, nullptr, 0), child);
            const GroupLoadResult loaded = loadGroupFile(path);
            QCOMPARE(loaded.status, GroupLoadResult::Status::Loaded);
            QVERIFY(loaded.entries == first || loaded.entries == second);
            seenSecond += loaded.entries == second;
        }
        QVERIFY(seenSecond > 0); // saves completed between kills, or nothing was tested
    }
};

QTEST_GUILESS_MAIN(TestGroupFile)
#include "tst_groupfile.moc"
