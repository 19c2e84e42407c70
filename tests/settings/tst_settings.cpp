#include "settings/inifile.h"
#include "settings/number.h"
#include "settings/settingskeys.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#include <unistd.h>

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void putFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_dir.emplace().isValid());
        m_path = m_dir->filePath(QStringLiteral("test.ini"));
    }

    // Every row reads [Setup] TopPos.
    void reads_data()
    {
        QTest::addColumn<QByteArray>("content"); // null: no file at all
        QTest::addColumn<QString>("expected");
        QTest::newRow("no file") << QByteArray() << "";
        QTest::newRow("no section") << QByteArray("[Font]\r\nTopPos=1\r\n") << "";
        QTest::newRow("no key") << QByteArray("[Setup]\r\nAutoGet=1\r\n") << "";
        QTest::newRow("key in the next section")
            << QByteArray("[Setup]\r\n[Font]\r\nTopPos=1\r\n") << "";
        QTest::newRow("names ignore case") << QByteArray("[SETUP]\r\ntoppos=1\r\n") << "1";
        QTest::newRow("first of two sections and keys")
            << QByteArray("[Setup]\r\nTopPos=a\r\nTopPos=b\r\n[Setup]\r\nTopPos=c\r\n") << "a";
        QTest::newRow("blanks around names, comments, keys outside sections")
            << QByteArray("TopPos=x\r\n  [ Setup ]  \r\n;TopPos=c\r\n\t TopPos =  1 \r\n")
            << "  1 ";
        QTest::newRow("a header ends the section, even with =")
            << QByteArray("[Setup]\r\n[x]=y\r\nTopPos=1\r\n") << "";
        // A stray byte elsewhere leaves a UTF-8 line UTF-8.
        QTest::newRow("stray byte on another line")
            << QByteArray("[Setup]\r\nTopPos=caf\xc3\xa9\r\nOther=\xe9t\xe9\r\n")
            << QStringLiteral("caf\u00e9");
        QTest::newRow("Windows-1252 line")
            << QByteArray("[Setup]\nTopPos=\x80 \xe9\n") << QStringLiteral("\u20ac \u00e9");
    }
    void reads()
    {
        QFETCH(QByteArray, content);
        if (!content.isNull())
            putFile(m_path, content);
        QTEST(IniFile::read(m_path, u"Setup", u"TopPos"), "expected");
    }
    // Steps: "Section/Key=value" writes, "Section/Key" removes the key, "Section"
    // removes the section.
    void edits_data()
    {
        QTest::addColumn<QByteArray>("before"); // null: no file at all
        QTest::addColumn<QByteArrayList>("steps");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("first write makes the file")
            << QByteArray() << QByteArrayList{"Setup/TopPos=1"}
            << QByteArray("[Setup]\r\nTopPos=1\r\n");
        QTest::newRow("everything else is kept")
            << QByteArray(
                   "; kept\r\n[Setup]\r\nTopPos=1\r\nAutoGet=1\r\n\r\n[Font]\r\nFontName=M\r\n")
            << QByteArrayList{"Setup/TopPos=0", "Setup/Msg_Clear=1", "WindowSize/Width=9000"}
            << QByteArray("; kept\r\n[Setup]\r\nTopPos=0\r\nAutoGet=1\r\nMsg_Clear=1\r\n\r\n"
                          "[Font]\r\nFontName=M\r\n[WindowSize]\r\nWidth=9000\r\n");
        QTest::newRow("names ignore case: one key, spelled as the file has it")
            << QByteArray("[setup]\r\ntoppos=1\r\n") << QByteArrayList{"SETUP/TOPPOS=0"}
            << QByteArray("[setup]\r\ntoppos=0\r\n");
        QTest::newRow("remove a section and a key")
            << QByteArray("[GroupNo]\r\n1=1\r\n2=2\r\n[GroupNoName]\r\n1=a\r\n2=b\r\n")
            << QByteArrayList{"groupno", "GroupNoName/1"} << QByteArray("[GroupNoName]\r\n2=b\r\n");
        QTest::newRow("empty value is stored as key=")
            << QByteArray() << QByteArrayList{"Setup/LastGroupNo=7", "Setup/LastGroupNo="}
            << QByteArray("[Setup]\r\nLastGroupNo=\r\n");
        QTest::newRow("line breaks never break the file")
            << QByteArray()
            << QByteArrayList{"ReExecute/Command=a\r\nb\nc\r[Setup]\nx=y", "ReExecute/Y=1"}
            << QByteArray("[ReExecute]\r\nCommand=a b c [Setup] x=y\r\nY=1\r\n");
    }
    void edits()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArrayList, steps);
        if (!before.isNull())
            putFile(m_path, before);
        for (const QByteArray &step : steps) {
            const QString text = QString::fromUtf8(step);
            const QString target = text.section(QLatin1Char('='), 0, 0);
            const QString section = target.section(QLatin1Char('/'), 0, 0);
            const QString key = target.section(QLatin1Char('/'), 1);
            if (text.contains(QLatin1Char('=')))
                QVERIFY(IniFile::write(m_path, section, key, text.section(QLatin1Char('='), 1)));
            else if (key.isEmpty())
                QVERIFY(IniFile::removeSection(m_path, section));
            else
                QVERIFY(IniFile::removeKey(m_path, section, key));
        }
        QTEST(fileBytes(m_path), "after");
    }
    // Several changes to one document in memory, looked up between the changes:
    // each lookup must see every change before it.
    void documentLookupsFollowChanges()
    {
        IniDocument doc = IniDocument::parse(u"[A]\r\nk=1\r\n[B]\r\nk=2\r\n");
        QCOMPARE(doc.value(u"b", u"K"), QStringLiteral("2"));
        doc.setValue(u"A", u"new", u"n"); // a line inserted before section B
        QCOMPARE(doc.value(u"B", u"k"), QStringLiteral("2"));
        QCOMPARE(doc.value(u"A", u"new"), QStringLiteral("n"));
        doc.removeSection(u"A");
        QVERIFY(!doc.contains(u"A", u"k"));
        QCOMPARE(doc.value(u"B", u"k"), QStringLiteral("2"));
        doc.replaceSection(u"B", {{QStringLiteral("x"), QStringLiteral("1")},
                                  {QStringLiteral("y"), QStringLiteral("2")}});
        QVERIFY(!doc.contains(u"B", u"k"));
        QCOMPARE(doc.value(u"B", u"y"), QStringLiteral("2"));
        doc.setValue(u"C", u"z", u"3");
        doc.removeKey(u"B", u"x");
        QCOMPARE(doc.value(u"C", u"z"), QStringLiteral("3"));
        QCOMPARE(doc.serialize(), QStringLiteral("[B]\r\ny=2\r\n[C]\r\nz=3\r\n"));
    }

    // A batch writes all its values at once, or nothing at all.
    void batchWritesOnCommit()
    {
        putFile(m_path, "[Setup]\r\nTopPos=1\r\n");
        const Settings settings(m_path);
        Settings::Batch batch(settings);
        batch.setFlag(Setting::TopPos, false)
            .setValue(Setting::Width, 9000)
            .setValue(Setting::FontName, u"M");
        QCOMPARE(fileBytes(m_path), QByteArray("[Setup]\r\nTopPos=1\r\n"));
        QVERIFY(batch.commit());
        QCOMPARE(fileBytes(m_path), QByteArray("[Setup]\r\nTopPos=0\r\n[WindowSize]\r\n"
                                               "Width=9000\r\n[Font]\r\nFontName=M\r\n"));
        QVERIFY(Settings::Batch(settings).commit()); // nothing to write
    }

    // Outside a read scope every read sees the file as it is now; inside one the
    // file is read once, and the scope's own writes are seen.
    void readScope()
    {
        const Settings settings(m_path);
        putFile(m_path, "[Setup]\r\nTopPos=1\r\n");
        QCOMPARE(settings.value(Setting::TopPos), QStringLiteral("1"));
        putFile(m_path, "[Setup]\r\nTopPos=2\r\n");
        QCOMPARE(settings.value(Setting::TopPos), QStringLiteral("2"));
        {
            const Settings::ReadScope once(settings);
            const Settings copy = settings;
            QCOMPARE(copy.value(Setting::TopPos), QStringLiteral("2"));
            QVERIFY(QFile::remove(m_path)); // not read again within the scope
            QCOMPARE(settings.value(Setting::TopPos), QStringLiteral("2"));
            QVERIFY(copy.setValue(Setting::AutoGet, u"1"));
            QCOMPARE(settings.value(Setting::AutoGet), QStringLiteral("1"));
        }
        putFile(m_path, "[Setup]\r\nTopPos=3\r\n");
        QCOMPARE(settings.value(Setting::TopPos), QStringLiteral("3"));
    }

    void longValuesAreCutAtCharacterBoundary_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("ascii") << QString(300, u'x') << QString(255, u'x');
        QTest::newRow("three-byte after one ascii")
            << (QStringLiteral("a") + QString(100, u'\u20ac'))
            << (QStringLiteral("a") + QString(84, u'\u20ac'));
        const QString emoji = QStringLiteral("\U0001F600").repeated(70);
        QTest::newRow("four-byte") << emoji << emoji.left(63 * 2);
    }
    void longValuesAreCutAtCharacterBoundary()
    {
        QFETCH(QString, value);
        QVERIFY(IniFile::write(m_path, u"Setup", u"Long", value));
        QTEST(IniFile::read(m_path, u"Setup", u"Long"), "expected");
    }
    void unreadableFileIsNeverOverwritten_data()
    {
        QTest::addColumn<bool>("linkToFolder"); // else a file without read permission
        QTest::newRow("no read permission") << false;
        QTest::newRow("link to a folder") << true;
    }
    void unreadableFileIsNeverOverwritten()
    {
        QFETCH(bool, linkToFolder);
        const QByteArray old("[Setup]\r\nTopPos=0\r\n");
        if (linkToFolder) {
            QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("folder")));
            QVERIFY(QFile::link(m_dir->filePath(QStringLiteral("folder")), m_path));
        } else {
            if (::geteuid() == 0)
                QSKIP("root reads any file");
            putFile(m_path, old);
            QVERIFY(QFile::setPermissions(m_path, {}));
        }
        QVERIFY(!IniFile::write(m_path, u"Setup", u"TopPos", u"1"));
        QVERIFY(!Settings(m_path).writeStartupDefaults());
        QVERIFY(!Settings::Batch(Settings(m_path)).setValue(Setting::TopPos, 1).commit());
        QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QCOMPARE(fileBytes(m_path), linkToFolder ? QByteArray("<missing>") : old);
        QCOMPARE(QFileInfo(m_path).isSymLink(), linkToFolder);
    }
    void numbers_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<double>("leading");
        QTest::addColumn<int>("whole");
        QTest::newRow("1abc") << "1abc" << 1.0 << 1;
        QTest::newRow("letters") << "abc" << 0.0 << 0;
        QTest::newRow("1.5 rounds up") << "1.5" << 1.5 << 2;
        QTest::newRow("2.5 rounds down") << "2.5" << 2.5 << 2;
        QTest::newRow("-0.5") << "-0.5" << -0.5 << 0;
        QTest::newRow("leading blank") << " 12" << 12.0 << 12;
        QTest::newRow("past int32") << "3000000000" << 3e9 << 2147483647;
    }
    void numbers()
    {
        QFETCH(QString, value);
        QTEST(leadingNumber(value), "leading");
        QTEST(wholeNumberOf(value), "whole");
    }

private:
    std::optional<QTemporaryDir> m_dir;
    QString m_path;
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
