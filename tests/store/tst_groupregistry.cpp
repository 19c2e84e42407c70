#include "store/groupregistry.h"
#include "storetestutil.h"

#include <QDir>
#include <QTemporaryDir>

#include <unistd.h>

using Groups = QList<GroupInfo>;
Q_DECLARE_METATYPE(GroupInfo)

namespace {

GroupInfo g(qint32 number, QStringView name = {})
{
    return GroupInfo{number, name.toString()};
}

} // namespace

char *toString(const GroupInfo &g)
{
    return qstrdup(QByteArray(QByteArray::number(g.number) + ':' + g.name.toUtf8()).constData());
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
        QTest::newRow("highest number lost")
            << QByteArray("[GroupNo]\r\nGroup0=0\r\nGroup1=7\r\n[GroupNoName]\r\nGroup7=Work\r\n")
            << QStringLiteral("group3.dat") << Groups{g(0), g(7, u"Work"), g(3, u"3")} << 8;
        QTest::newRow("no position 0")
            << QByteArray("[Management]\r\nMaxGroupNo=9\r\n[GroupNo]\r\nGroup1=7\r\n")
            << QStringLiteral("group3.dat") << Groups{g(0), g(7, u"7"), g(3, u"3")} << 10;
        QTest::newRow("hand-edited highest number")
            << QByteArray("[Management]\r\nMaxGroupNo=abc\r\n[GroupNo]\r\nGroup0=0\r\nGroup1=1\r\n"
                          "[GroupNoName]\r\nGroup0=\r\nGroup1=kept\r\n")
            << QStringLiteral("group2.dat") << Groups{g(0), g(1, u"kept")} << 3;
        // Position 0 naming another group must not hide the default group.
        QTest::newRow("position 0 names another group")
            << QByteArray("[Management]\r\nMaxGroupNo=3\r\n[GroupNo]\r\nGroup0=2\r\n"
                          "Group1=3\r\nGroup2=0\r\n[GroupNoName]\r\nGroup2=A\r\nGroup3=B\r\n")
            << QString() << Groups{g(0), g(2, u"A"), g(3, u"B")} << 4;
        // No number is left above "MaxGroupNo": the lowest free one is given out.
        QTest::newRow("highest number past the range")
            << QByteArray("[Management]\r\nMaxGroupNo=2147483648\r\n[GroupNo]\r\nGroup0=0\r\n"
                          "Group1=1\r\n[GroupNoName]\r\nGroup0=\r\nGroup1=one\r\n")
            << QStringLiteral("group2.dat") << Groups{g(0), g(1, u"one")} << 3;
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
            writeBytes(path(), file);
        for (const QString &name : dataFiles.split(u' ', Qt::SkipEmptyParts))
            writeBytes(dir.filePath(name), "[ListData]\r\n");
        QVERIFY(registry().ensureExists());
        QFETCH(Groups, groups);
        QCOMPARE(registry().groups(), groups);
        const QByteArray before = readBytes(path());
        QTEST(registry().addGroup(QStringLiteral("new"), {}), "next");
        // "MaxGroupNo" never goes down.
        const auto maxOf = [](const QByteArray &file) {
            const qsizetype at = file.indexOf("MaxGroupNo=") + 11;
            return file.mid(at, file.indexOf('\r', at) - at).toLongLong();
        };
        QVERIFY(maxOf(readBytes(path())) >= maxOf(before));
        QCOMPARE(registry().groups().first(), g(0));
    }

    // A registry that cannot be read is never replaced, and the default group
    // stays usable.
    void unreadableRegistry_data()
    {
        QTest::addColumn<bool>("folder"); // else a file without read permission
        QTest::newRow("a folder in its place") << true;
        QTest::newRow("no read permission") << false;
    }
    void unreadableRegistry()
    {
        QFETCH(bool, folder);
        const QByteArray kept("[Management]\r\nMaxGroupNo=1\r\n");
        if (folder) {
            QVERIFY(QDir().mkpath(path() + u"/inside"));
        } else {
            if (::geteuid() == 0)
                QSKIP("root reads any file");
            writeBytes(path(), kept);
            QVERIFY(QFile::setPermissions(path(), QFileDevice::WriteOwner));
        }
        QString error;
        QVERIFY(!registry().ensureExists(&error));
        QVERIFY(error.startsWith(QStringLiteral("cannot be read: ")));
        QCOMPARE(registry().groups(), Groups{g(0)});
        QCOMPARE(registry().addGroup(QStringLiteral("x"), {0}), -1);
        QFile::setPermissions(path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        if (folder)
            QVERIFY(QFileInfo(path() + u"/inside").isDir());
        else
            QCOMPARE(readBytes(path()), kept);
    }

    void firstStartAndChanges()
    {
        const GroupRegistry r = registry();
        QVERIFY(r.ensureExists()); // first start
        QCOMPARE(readBytes(path()), QByteArray("[Management]\r\nMaxGroupNo=0\r\n[GroupNo]\r\n"
                                               "Group0=0\r\n[GroupNoName]\r\nGroup0=\r\n"));
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
        // The default group stays first; the new-group row, repeats and old keys are left out.
        QVERIFY(r.writeOrder({4, -99, 2, 0, 4}));
        QCOMPARE(r.groups(), Groups({g(0), g(4, u"D"), g(2, u"B")}));
    }
};

QTEST_GUILESS_MAIN(TestGroupRegistry)
#include "tst_groupregistry.moc"
