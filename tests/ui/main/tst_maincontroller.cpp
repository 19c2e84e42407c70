#include "fakes/fakeclipboard.h"
#include "fakes/fakeprompter.h"
#include "platform/filesys.h"
#include "store/groupfile.h"
#include "ui/main/maincontroller.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// The current group's file and the registry as the main window's controller reads
// and writes them, with files that are damaged, in the way or unreadable.
class TestMainController : public QObject
{
    Q_OBJECT

    struct Rig
    {
        Rig()
        {
            QDir().mkpath(paths.dataFolder);
            QDir().mkpath(paths.tempFolder);
        }
        void put(const QString &path, const QByteArray &bytes)
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        }
        // The texts of the messages, each titled "System error" (else marked so).
        QStringList messageTexts() const
        {
            QStringList texts;
            for (const FakePrompter::Message &m : prompter.messages)
                texts << (m.title == QStringLiteral("System error") ? m.text : u"TITLE " + m.title);
            return texts;
        }

        QTemporaryDir dir;
        AppPaths paths = AppPaths::forUserFolder(dir.path());
        FakeClipboard clipboard;
        FakePrompter prompter;
        MainController controller{paths, clipboard, prompter, {}};
    };

private slots:
    // Thousands of bad values in a file are one message, which counts them and
    // shows the first; the values before each bad flag are still loaded.
    void manyBadRecordsAreOneMessage()
    {
        Rig rig;
        QByteArray file("[ListData]\r\nText1=good,0,,0\r\n");
        for (int i = 2; i <= 31; ++i)
            file +=
                "Text" + QByteArray::number(i) + "=bad" + QByteArray::number(i) + ",99999,,0\r\n";
        rig.put(rig.paths.groupFile(0), file);
        rig.controller.loadGroup(0);
        QCOMPARE(rig.controller.model().count(), 31);
        const QStringList texts = rig.messageTexts();
        QCOMPARE(texts.size(), 1);
        QVERIFY2(texts[0].startsWith(QStringLiteral("gsSetTextDataFromFileData(): Overflow")),
                 qPrintable(texts[0]));
        QVERIFY2(texts[0].contains(QStringLiteral("30 values")), qPrintable(texts[0]));
        QVERIFY2(texts[0].contains(QStringLiteral("line 3:\r\nText2=bad2,99999,,0")),
                 qPrintable(texts[0]));
    }

    // A group file that cannot be read whole is set aside, and the user is told
    // which file and where it went; what was read is still shown and saved.
    void unreadableGroupFileIsReported_data()
    {
        QTest::addColumn<bool>("folder"); // else binary junk without a "[ListData]" line
        QTest::newRow("a folder in its place") << true;
        QTest::newRow("no group file") << false;
    }
    void unreadableGroupFileIsReported()
    {
        QFETCH(bool, folder);
        Rig rig;
        const QString path = rig.paths.groupFile(0);
        if (folder)
            QVERIFY(QDir().mkpath(path + u"/inside"));
        else
            rig.put(path, QByteArray("\x7f"
                                     "ELF\x02\x01=\x01\x00\x00junk,1,,0\x00\xff",
                                     21));
        rig.controller.loadGroup(0);
        const QStringList texts = rig.messageTexts();
        QCOMPARE(texts.size(), 1);
        const QStringList aside = QDir(rig.paths.dataFolder)
                                      .entryList({QStringLiteral("group0.dat.unreadable-*")},
                                                 QDir::AllEntries | QDir::Hidden);
        QCOMPARE(aside.size(), 1);
        QVERIFY2(texts[0].contains(QDir::toNativeSeparators(path)), qPrintable(texts[0]));
        QVERIFY2(
            texts[0].contains(QDir::toNativeSeparators(rig.paths.dataFolder + u'/' + aside[0])),
            qPrintable(texts[0]));
        // The original stays as it was; the next save cannot reach it.
        QVERIFY(rig.controller.saveGroup());
        QCOMPARE(QFileInfo(rig.paths.dataFolder + u'/' + aside[0]).isDir(), folder);
        QCOMPARE(loadGroupFile(path).status, GroupLoadResult::Status::Loaded);
    }

    // Saves never depend on the temp folder: a file in its place, or none at all.
    void saveDoesNotNeedTheTempFolder_data()
    {
        QTest::addColumn<bool>("fileInPlace");
        QTest::newRow("a file named temp") << true;
        QTest::newRow("temp deleted") << false;
    }
    void saveDoesNotNeedTheTempFolder()
    {
        QFETCH(bool, fileInPlace);
        Rig rig;
        QVERIFY(QDir(rig.paths.tempFolder).removeRecursively());
        if (fileInPlace)
            rig.put(rig.paths.tempFolder, "not a folder");
        rig.controller.loadGroup(0);
        rig.controller.model().appendEntry(TextEntry{QStringLiteral("kept"), 0, {}, 0});
        QVERIFY(rig.controller.saveGroup());
        const QList<TextEntry> kept{TextEntry{QStringLiteral("kept"), 0, {}, 0}};
        QCOMPARE(loadGroupFile(rig.paths.groupFile(0)).entries, kept);
        // Nothing but the group file is left in the data folder.
        QCOMPARE(QDir(rig.paths.dataFolder).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("group0.dat")});
    }

    // With the registry unreadable the user is told at once, the default group is
    // current and saved, and the registry is never replaced.
    void unreadableRegistryKeepsTheDefaultGroup()
    {
        Rig rig;
        QVERIFY(QDir().mkpath(rig.paths.registryFile() + u"/kept"));
        rig.controller.setUpGroups();
        QCOMPARE(rig.controller.currentGroupNo(), 0);
        QCOMPARE(rig.controller.groups().selector().groupOrder(), QList<qint32>{0});
        const QStringList texts = rig.messageTexts();
        QCOMPARE(texts.size(), 1);
        QVERIFY2(texts[0].contains(QDir::toNativeSeparators(rig.paths.registryFile())),
                 qPrintable(texts[0]));
        rig.controller.loadGroup(0);
        rig.controller.model().appendEntry(TextEntry{QStringLiteral("copied"), 0, {}, 0});
        QVERIFY(rig.controller.saveGroup());
        QCOMPARE(loadGroupFile(rig.paths.groupFile(0)).entries.size(), 1);
        QVERIFY(QFileInfo(rig.paths.registryFile() + u"/kept").isDir());
    }
};

QTEST_MAIN(TestMainController)
#include "tst_maincontroller.moc"
