#include "settings/inifile.h"
#include "settings/number.h"
#include "settings/settingskeys.h"
#include "support/files.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

using namespace Qt::StringLiterals;

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_dir.emplace().isValid());
        m_path = m_dir->filePath(u"test.ini"_s);
    }

    // Every row reads [Setup] TopPos.
    void reads_data()
    {
        QTest::addColumn<QByteArray>("content"); // null: no file at all
        QTest::addColumn<QString>("expected");
        QTest::newRow("no file") << QByteArray() << "";
        QTest::newRow("only in other sections; a header ends one, even with =")
            << QByteArray("[Font]\r\nTopPos=1\r\n[Setup]\r\nAutoGet=1\r\n[x]=y\r\nTopPos=2") << "";
        QTest::newRow("names ignore case, first of two sections and keys")
            << QByteArray("[SETUP]\r\ntoppos=a\r\nTopPos=b\r\n[Setup]\r\nTopPos=c\r\n") << "a";
        QTest::newRow("blanks around names, comments, keys outside sections")
            << QByteArray("TopPos=x\r\n  [ Setup ]  \r\n;TopPos=c\r\n\t TopPos =  1 \r\n")
            << "  1 ";
        // Values are read up to 255 bytes, never cut inside a character.
        const QByteArray euro("\xe2\x82\xac"), smile("\xf0\x9f\x98\x80");
        QTest::newRow("long value") << QByteArray("[Setup]\r\nTopPos=a" + euro.repeated(100))
                                    << QString(u"a"_s + QString(84, u'\u20ac'));
        QTest::newRow("long value of four-byte characters")
            << QByteArray("[Setup]\r\nTopPos=" + smile.repeated(70))
            << u"\U0001F600"_s.repeated(63);
        QTest::newRow("stray byte on another line")
            << QByteArray("[Setup]\r\nTopPos=caf\xc3\xa9\r\nOther=\xe9t\xe9\r\n") << u"caf\u00e9"_s;
    }
    void reads()
    {
        QFETCH(QByteArray, content);
        if (!content.isNull())
            QVERIFY(writeBytes(m_path, content));
        QTEST(IniFile::read(m_path, u"Setup", u"TopPos"), "expected");
    }
    // Steps: "Section/Key=value" writes, "Section/Key" removes the key, "Section"
    // removes the section.
    void edits_data()
    {
        QTest::addColumn<QByteArray>("before"); // null: no file at all
        QTest::addColumn<QByteArrayList>("steps");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("everything else is kept")
            << QByteArray(
                   "; kept\r\n[Setup]\r\nTopPos=1\r\nAutoGet=1\r\n\r\n[Font]\r\nFontName=M\r\n")
            << QByteArrayList{"Setup/TopPos=0", "Setup/Msg_Clear=1", "WindowSize/Width=9000"}
            << QByteArray("; kept\r\n[Setup]\r\nTopPos=0\r\nAutoGet=1\r\nMsg_Clear=1\r\n\r\n"
                          "[Font]\r\nFontName=M\r\n[WindowSize]\r\nWidth=9000\r\n");
        QTest::newRow("names ignore case; remove a section and a key")
            << QByteArray(
                   "[setup]\r\ntoppos=1\r\n[GroupNo]\r\n1=1\r\n[GroupNoName]\r\n1=a\r\n2=b\r\n")
            << QByteArrayList{"SETUP/TOPPOS=0", "groupno", "GroupNoName/1"}
            << QByteArray("[setup]\r\ntoppos=0\r\n[GroupNoName]\r\n2=b\r\n");
        QTest::newRow("first write; line breaks never break the file; empty value")
            << QByteArray()
            << QByteArrayList{"ReExecute/Command=a\r\nb\nc\r[Setup]\nx=y", "ReExecute/Y=1",
                              "ReExecute/Y="}
            << QByteArray("[ReExecute]\r\nCommand=a b c [Setup] x=y\r\nY=\r\n");
    }
    void edits()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArrayList, steps);
        if (!before.isNull())
            QVERIFY(writeBytes(m_path, before));
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
        QTEST(readBytes(m_path), "after");
    }
    // A batch writes all its values at once, or nothing at all.
    void batchWritesOnCommit()
    {
        QVERIFY(writeBytes(m_path, "[Setup]\r\nTopPos=1\r\n"));
        const Settings settings(m_path);
        Settings::Batch batch(settings);
        batch.setFlag(Setting::TopPos, false)
            .setValue(Setting::Width, 9000)
            .setValue(Setting::FontName, u"M");
        QCOMPARE(readBytes(m_path), QByteArray("[Setup]\r\nTopPos=1\r\n"));
        QVERIFY(batch.commit());
        QCOMPARE(readBytes(m_path), QByteArray("[Setup]\r\nTopPos=0\r\n[WindowSize]\r\n"
                                               "Width=9000\r\n[Font]\r\nFontName=M\r\n"));
    }

    // Outside a read scope every read sees the file as it is now; inside one the
    // file is read once, and the scope's own writes are seen.
    void readScope()
    {
        const Settings settings(m_path);
        QVERIFY(writeBytes(m_path, "[Setup]\r\nTopPos=2\r\n"));
        {
            const Settings::ReadScope once(settings);
            const Settings copy = settings;
            QCOMPARE(copy.value(Setting::TopPos), u"2"_s);
            QVERIFY(QFile::remove(m_path)); // not read again within the scope
            QCOMPARE(settings.value(Setting::TopPos), u"2"_s);
            QVERIFY(copy.setValue(Setting::AutoGet, u"1"));
            QCOMPARE(settings.value(Setting::AutoGet), u"1"_s);
        }
        QVERIFY(writeBytes(m_path, "[Setup]\r\nTopPos=3\r\n"));
        QCOMPARE(settings.value(Setting::TopPos), u"3"_s);
    }

    void numbers_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<double>("leading");
        QTest::addColumn<int>("whole");
        QTest::newRow("1.5 rounds up") << "1.5" << 1.5 << 2;
        QTest::newRow("2.5 rounds down") << "2.5" << 2.5 << 2;
        QTest::newRow("past int32, letters after") << "3000000000abc" << 3e9 << 2147483647;
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
