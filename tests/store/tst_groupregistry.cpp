#include "settings/inifile.h"
#include "store/groupregistry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using Groups = QList<GroupInfo>;
Q_DECLARE_METATYPE(GroupInfo)

namespace {

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &data)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(data) == data.size());
}

GroupInfo g(qint32 number, QStringView name = {})
{
    return GroupInfo{number, name.toString()};
}

ino_t inodeOf(const QString &path)
{
    struct stat st = {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

} // namespace

char *toString(const GroupInfo &g)
{
    const QByteArray out = QByteArray::number(g.number) + ':' + g.name.toUtf8();
    return qstrdup(out.constData());
}

class TestGroupRegistry : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("Management.dat")); }
    GroupRegistry registry() const { return GroupRegistry(path(), dir.path()); }

private slots:
    void init()
    {
        QDir(dir.path()).removeRecursively();
        QVERIFY(QDir().mkpath(dir.path()));
    }

    void firstStart()
    {
        QVERIFY(registry().ensureExists());
        QCOMPARE(readBytes(path()), QByteArray("[Management]\r\nMaxGroupNo=0\r\n[GroupNo]\r\n"
                                               "Group0=0\r\n[GroupNoName]\r\nGroup0=\r\n"));
        QCOMPARE(registry().groups(), Groups({g(0)}));
        const ino_t before = inodeOf(path());
        QVERIFY(registry().ensureExists());
        QCOMPARE(inodeOf(path()), before); // nothing to repair: not written again
    }

    void lostRegistryListsLeftoverFiles()
    {
        for (const char *name :
             {"group0.dat", "group2.dat", "group12.dat", "group03.dat", "Group5.dat", "group-1.dat",
              "groupx.dat", "group4.dat.unreadable-20240101-000000"})
            writeBytes(dir.filePath(QLatin1String(name)), "[ListData]\r\n");
        QVERIFY(registry().ensureExists());
        QCOMPARE(registry().groups(), Groups({g(0), g(2, u"2"), g(12, u"12")}));
        QCOMPARE(registry().maxGroupNo(), 12);
        QCOMPARE(registry().addGroup(QStringLiteral("new"), {0, 2, 12}), 13);
    }

    void damagedRegistryKeepsWhatIsLeft()
    {
        // "MaxGroupNo" lost; group 7 still listed and named, group 3 only has a file.
        writeBytes(path(), "[GroupNo]\r\nGroup0=0\r\nGroup1=7\r\n[GroupNoName]\r\nGroup7=Work\r\n");
        writeBytes(dir.filePath(QStringLiteral("group3.dat")), "");
        QVERIFY(registry().ensureExists());
        QCOMPARE(registry().groups(), Groups({g(0), g(7, u"Work"), g(3, u"3")}));
        QCOMPARE(registry().maxGroupNo(), 7);

        // No position 0 would list no group at all.
        writeBytes(path(), "[Management]\r\nMaxGroupNo=9\r\n[GroupNo]\r\nGroup1=7\r\n");
        QVERIFY(registry().ensureExists());
        QCOMPARE(registry().groups(), Groups({g(0), g(7, u"7"), g(3, u"3")}));
        QCOMPARE(registry().maxGroupNo(), 9);
    }

    void changesWriteWholeSections()
    {
        const GroupRegistry r = registry();
        QVERIFY(r.ensureExists());
        QCOMPARE(r.addGroup(QStringLiteral("A"), {0, GroupRegistry::kNewGroupValue}), 1);
        QCOMPARE(r.addGroup(QStringLiteral("B"), {0, 1}), 2);
        QCOMPARE(r.addGroup(QStringLiteral("C"), {0, 1, 2}), 3);
        QVERIFY(r.removeGroup(3, {0, 1, 2, 3}));
        QCOMPARE(r.addGroup(QStringLiteral("D"), {0, 1, 2}), 4); // 3 is never given out again
        QVERIFY(r.renameGroup(1, QStringLiteral("A2")));
        QVERIFY(!r.renameGroup(0, QStringLiteral("x")));
        QVERIFY(!r.removeGroup(0, {1}));
        QCOMPARE(readBytes(path()), QByteArray("[Management]\r\nMaxGroupNo=4\r\n"
                                               "[GroupNo]\r\nGroup0=0\r\nGroup1=1\r\nGroup2=2\r\n"
                                               "Group3=4\r\n[GroupNoName]\r\nGroup0=\r\n"
                                               "Group1=A2\r\nGroup2=B\r\nGroup4=D\r\n"));
        // The default group stays first; the new-group row and repeats are left out.
        QVERIFY(r.writeOrder({4, -99, 2, 0, 4}));
        QCOMPARE(r.groups(), Groups({g(0), g(4, u"D"), g(2, u"B")}));
        QCOMPARE(IniFile::read(path(), u"GroupNo", u"Group3"), QString());
    }

    void addPassesOverTakenNumbers()
    {
        writeBytes(path(), "[Management]\r\nMaxGroupNo=abc\r\n[GroupNo]\r\nGroup0=0\r\nGroup1=1\r\n"
                           "[GroupNoName]\r\nGroup0=\r\nGroup1=kept\r\n");
        writeBytes(dir.filePath(QStringLiteral("group2.dat")), "");
        QCOMPARE(registry().addGroup(QStringLiteral("n"), {0, 1}), 3);
        QCOMPARE(registry().groups().at(1).name, QStringLiteral("kept"));
    }

    void readPositions_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<Groups>("expected");
        QTest::newRow("stops at first gap")
            << QByteArray("[GroupNo]\nGroup0=0\nGroup1=5\nGroup3=6\n[GroupNoName]\nGroup5=five\n")
            << Groups{g(0), g(5, u"five")};
        QTest::newRow("blank position ends")
            << QByteArray("[GroupNo]\nGroup0=0\nGroup1=  \nGroup2=6\n") << Groups{g(0)};
        QTest::newRow("value as read names the key")
            << QByteArray("[GroupNo]\nGroup0=0\nGroup1= 3\nGroup2=2.5\nGroup3=4x\n"
                          "[GroupNoName]\nGroup3=three\nGroup2=two\nGroup2.5=half\nGroup4x=x\n")
            << Groups{g(0), g(3), g(2, u"half"), g(4, u"x")};
    }
    void readPositions()
    {
        QFETCH(QByteArray, file);
        QFETCH(Groups, expected);
        writeBytes(path(), file);
        QCOMPARE(registry().groups(), expected);
    }

    void startupRow_data()
    {
        QTest::addColumn<double>("startupGroup");
        QTest::addColumn<double>("lastGroupNo");
        QTest::addColumn<int>("row");
        QTest::newRow("last group") << 0.0 << 3.0 << 2;
        QTest::newRow("last group deleted") << 0.0 << 9.0 << 0;
        QTest::newRow("no last group") << 0.0 << 0.0 << 0;
        QTest::newRow("negative last group") << 0.0 << -99.0 << 0;
        QTest::newRow("fraction matches nothing") << 0.0 << 3.5 << 0;
        QTest::newRow("default group") << 1.0 << 3.0 << 0;
        QTest::newRow("default and clear") << 2.0 << 3.0 << 0;
    }
    void startupRow()
    {
        QFETCH(double, startupGroup);
        QFETCH(double, lastGroupNo);
        QFETCH(int, row);
        const Groups groups{g(0), g(5), g(3), g(-99), g(3)};
        QCOMPARE(startupGroupRow(groups, startupGroup, lastGroupNo), row);
    }
};

QTEST_GUILESS_MAIN(TestGroupRegistry)
#include "tst_groupregistry.moc"
