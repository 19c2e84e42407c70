#include "settings/inifile.h"
#include "store/groupfile.h"
#include "store/groupregistry.h"
#include "store/textlistmodel.h"
#include "support/files.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

using Entries = QList<TextEntry>;
using Groups = QList<GroupInfo>;
Q_DECLARE_METATYPE(TextEntry)
Q_DECLARE_METATYPE(GroupInfo)

// Readable failure output for QCOMPARE of entries, groups and lists of them.
char *toString(const TextEntry &e)
{
    return QTest::toPrettyUnicode(QString(e.text + u", " + QString::number(e.protectFlag) + u", " +
                                          e.caption + u", " + QString::number(e.namedFlag)));
}
char *toString(const GroupInfo &g)
{
    return qstrdup(QByteArray(QByteArray::number(g.number) + ':' + g.name.toUtf8()).constData());
}

namespace {

TextEntry te(QStringView text, qint16 protect = 0, QStringView caption = {}, qint16 named = 0)
{
    return TextEntry{text.toString(), protect, caption.toString(), named};
}

GroupInfo g(qint32 number, QStringView name = {})
{
    return GroupInfo{number, name.toString()};
}

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

} // namespace

// Group files, the group registry and the list of a group's texts.
class TestStore : public QObject
{
    Q_OBJECT

    // On tmpfs, where there is one, a save is not slowed down by flushing to disk.
    QTemporaryDir dir{QFileInfo(u"/dev/shm"_s).isWritable()
                          ? u"/dev/shm/store-XXXXXX"_s
                          : QDir::tempPath() + u"/store-XXXXXX"_s};
    QString at(const char *name) const { return dir.filePath(QLatin1String(name)); }
    QString path() const { return at("Management.dat"); }
    GroupRegistry registry() const { return GroupRegistry(path(), dir.path()); }

private slots:
    void init()
    {
        QDir(dir.path()).removeRecursively();
        QVERIFY(QDir().mkpath(dir.path()));
    }

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
            QCOMPARE(problems.firstError, u"Overflow"_s);
    }

    void serialize()
    {
        const QByteArray older = legacyFile("written.dat");
        QCOMPARE(serializeGroup(parseGroup(older, {})), older);
        // Blank texts are left out without a gap in the numbers. A record holding what
        // the plain form cannot carry is marked "x1" and escaped; 0x03 alone needs no mark.
        const Entries entries{te(u"  ", 1, u"c", 1), te(u"x", -1, u"\u00e9", 1), te(u"a\x03r"),
                              te(u"a\rb\r\n\x03", 1, u"c,"), te(u"\xD83Dz", 0, u"\x01\x02", 1)};
        const QByteArray file = bytes("[ListData]|Text1=x,-1,\xc3\xa9,1|Text2=a^Cr,0,,0|"
                                      "Text3=a^Crb^A^C3,1,c^B,0,x1|Text4=^Cud83dz,0,^C1^C2,1,x1|");
        QCOMPARE(serializeGroup(entries), file);
        QCOMPARE(parseGroup(file, {}), entries.mid(1));
    }

    // A save killed at any moment leaves the group file whole: the old content or the
    // new. (Writing into the group file in place, even from a finished temporary file,
    // fails this at once.) A missing file is an empty group.
    void killedSaveLeavesWholeFile()
    {
        const QString path = at("group1.dat");
        QCOMPARE(loadGroupFile(path).status, GroupLoadResult::Status::Missing);
        const QString line = u"a line of the group\r\n"_s;
        const Entries first(4, te(line.repeated(300), 1));
        const Entries second(3, te(line.repeated(450), 0, u"second"));
        QElapsedTimer timer;
        timer.start();
        QVERIFY(saveGroupFile(path, first));
        const qint64 saveUs = std::max<qint64>(timer.nsecsElapsed() / 1000, 1000);
        QCOMPARE(QDir(dir.path()).entryList({u"group1*"_s}, QDir::Files),
                 QStringList{u"group1.dat"_s}); // no temporary file left

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

    // A lost or damaged registry lists the leftover group files again and keeps what
    // is left of it; a new group never takes a number that still has a file or a name.
    void repair_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("dataFiles");
        QTest::addColumn<Groups>("groups");
        QTest::addColumn<qint32>("next");
        QTest::newRow("lost") << QByteArray()
                              << QStringLiteral(
                                     "group0.dat group2.dat group12.dat group03.dat Group5.dat "
                                     "group-1.dat groupx.dat group4.dat.unreadable-20240101")
                              << Groups{g(0), g(2, u"2"), g(12, u"12")} << 13;
        QTest::newRow("hand-edited highest number")
            << QByteArray("[Management]\r\nMaxGroupNo=abc\r\n[GroupNo]\r\nGroup0=0\r\nGroup1=1\r\n"
                          "[GroupNoName]\r\nGroup0=\r\nGroup1=kept\r\n")
            << u"group2.dat"_s << Groups{g(0), g(1, u"kept")} << 3;
        // Position 0 naming another group must not hide the default group.
        QTest::newRow("position 0 names another group")
            << QByteArray("[Management]\r\nMaxGroupNo=3\r\n[GroupNo]\r\nGroup0=2\r\n"
                          "Group1=3\r\nGroup2=0\r\n[GroupNoName]\r\nGroup2=A\r\nGroup3=B\r\n")
            << QString() << Groups{g(0), g(2, u"A"), g(3, u"B")} << 4;
        QTest::newRow("highest number at the top")
            << QByteArray("[Management]\r\nMaxGroupNo=2147483647\r\n[GroupNo]\r\nGroup0=0\r\n"
                          "[GroupNoName]\r\nGroup0=\r\nGroup1=named only\r\n")
            << QString() << Groups{g(0)} << 2;
    }
    void repair()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, dataFiles);
        if (!file.isEmpty())
            QVERIFY(writeBytes(path(), file));
        for (const QString &name : dataFiles.split(u' ', Qt::SkipEmptyParts))
            QVERIFY(writeBytes(dir.filePath(name), "[ListData]\r\n"));
        QVERIFY(registry().ensureExists());
        QFETCH(Groups, groups);
        QCOMPARE(registry().groups(), groups);
        const auto maxGroupNo = [this] {
            return IniFile::read(path(), u"Management", u"MaxGroupNo").toLongLong();
        };
        const qint64 before = maxGroupNo();
        QTEST(registry().addGroup(u"new"_s, {}), "next");
        QVERIFY(maxGroupNo() >= before); // never goes down
        QCOMPARE(registry().groups().first(), g(0));
    }

    void firstStartAndChanges()
    {
        const GroupRegistry r = registry();
        QVERIFY(r.ensureExists()); // first start
        QCOMPARE(readBytes(path()), QByteArray("[Management]\r\nMaxGroupNo=0\r\n[GroupNo]\r\n"
                                               "Group0=0\r\n[GroupNoName]\r\nGroup0=\r\n"));
        QCOMPARE(r.addGroup(u"A"_s, {0, GroupRegistry::kNewGroupValue}), 1);
        QCOMPARE(r.addGroup(u"B"_s, {0, 1}), 2);
        QCOMPARE(r.addGroup(u"C"_s, {0, 1, 2}), 3);
        QVERIFY(r.removeGroup(3, {0, 1, 2, 3}));
        QCOMPARE(r.addGroup(u"D"_s, {0, 1, 2}), 4); // 3 is never given out again
        QVERIFY(r.renameGroup(1, u"A2"_s));
        QVERIFY(!r.renameGroup(0, u"x"_s));
        QVERIFY(!r.removeGroup(0, {1}));
        QCOMPARE(readBytes(path()), QByteArray("[Management]\r\nMaxGroupNo=4\r\n"
                                               "[GroupNo]\r\nGroup0=0\r\nGroup1=1\r\nGroup2=2\r\n"
                                               "Group3=4\r\n[GroupNoName]\r\nGroup0=\r\n"
                                               "Group1=A2\r\nGroup2=B\r\nGroup4=D\r\n"));
        // The default group stays first; the new-group row, repeats and old keys are left out.
        QVERIFY(r.writeOrder({4, -99, 2, 0, 4}));
        QCOMPARE(r.groups(), Groups({g(0), g(4, u"D"), g(2, u"B")}));
    }

    void listText_data()
    {
        QTest::addColumn<TextEntry>("e");
        QTest::addColumn<QString>("line");
        const QString x126(126, u'x'), x128(128, u'x');
        const auto row = [](const char *name, const TextEntry &e, const QString &line) {
            QTest::newRow(name) << e << line;
        };
        row("crlf", te(u"a\r\nb"), u"  a[cr]b"_s);
        row("lone cr and lf", te(u"a\rb\nc\n\r"), u"  a\rb\nc\n\r"_s);
        row("cr cut in the middle", te(QString(x126 + u"\r\nmore")), u"  " + x126 + u"[c...");
        row("protected, cut", te(QString(x128 + x128), 1), u"# " + x128 + u"...");
        row("named: whole caption", te(u"t", 1, QString(x128 + u"\r\n" + x128), 1),
            u"@ " + x128 + u"\r\n" + x128);
        row("named 2 shows text", te(u"t", 0, u"c", 2), u"  t"_s);
    }
    void listText()
    {
        QFETCH(TextEntry, e);
        QTEST(makeListText(e), "line");
    }

    // Every change of the rows or of an entry marks the group changed, and says so
    // once; loading, or saving (setModified(false)), marks it unchanged. Views follow
    // every change (inserts, removals, resets).
    // Steps on the rows "a", "b": a append, r remove row 0, s swap 0 and 1, S swap 1
    // with itself, p protect row 1, e edit row 1 into itself, R replace (Clear), l
    // load, c clear all.
    void modifiedFlag_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<bool>("modified");
        QTest::addColumn<int>("notices");
        QTest::newRow("append") << "a" << true << 1;
        QTest::newRow("swap") << "s" << true << 1;
        QTest::newRow("protect") << "p" << true << 1;
        QTest::newRow("replace (Clear)") << "R" << true << 1;
        QTest::newRow("two changes") << "ra" << true << 1;
        QTest::newRow("edit into itself") << "e" << false << 0;
        QTest::newRow("swap a row with itself") << "S" << false << 0;
        QTest::newRow("change, then load") << "al" << false << 2;
        QTest::newRow("change, then clear all") << "rc" << false << 2;
    }
    void modifiedFlag()
    {
        QFETCH(QString, steps);
        TextListModel model;
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.loadEntries({te(u"a"), te(u"b")});
        QSignalSpy spy(&model, &TextListModel::modifiedChanged);
        for (const QChar step : steps) {
            // clang-format off
            switch (step.unicode()) {
            case 'a': model.appendEntry(te(u"c")); break;
            case 'r': model.removeRowAt(0); break;
            case 's': model.swapRows(0, 1); break;
            case 'S': model.swapRows(1, 1); break;
            case 'p': model.setEntryAt(1, te(u"b", 1)); break;
            case 'e': model.setEntryAt(1, te(u"b")); break;
            case 'R': model.replaceEntries({te(u"x")}); break;
            case 'l': model.loadEntries({te(u"x")}); break;
            case 'c': model.clearAll(); break;
            }
            // clang-format on
        }
        QTEST(model.isModified(), "modified");
        QTEST(int(spy.size()), "notices");
        model.setModified(false);
        QVERIFY(!model.isModified());
    }
};

QTEST_GUILESS_MAIN(TestStore)
#include "tst_store.moc"
