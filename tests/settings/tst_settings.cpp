#include "settings/inifile.h"
#include "settings/number.h"
#include "settings/settingskeys.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

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
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void readMissingIsEmpty_data();
    void readMissingIsEmpty();
    void firstWriteCreatesFile();
    void writeKeepsEverythingElse();
    void namesIgnoreCase();
    void removeSectionAndKey();
    void emptyValueIsStoredAsKeyOnly();
    void longValuesAreCutAtCharacterBoundary_data();
    void longValuesAreCutAtCharacterBoundary();
    void lineBreaksStayInsideTheValue();
    void windows1252FileIsRead();
    void unreadableFileIsNeverOverwritten_data();
    void unreadableFileIsNeverOverwritten();
    void writeIntoMissingFolderFails();

    void numbers_data();
    void numbers();
    void blanks();

    void startupDefaultsOnFreshFile();
    void startupDefaultsFillOnlyBlankKeys();

private:
    QString path(const char *name = "test.ini") const
    {
        return m_dir->filePath(QLatin1String(name));
    }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestSettings::readMissingIsEmpty_data()
{
    QTest::addColumn<QByteArray>("content"); // empty: no file at all
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::newRow("no file") << QByteArray() << "Setup"
                             << "TopPos";
    QTest::newRow("no section") << QByteArray("[Font]\r\nTopPos=1\r\n") << "Setup"
                                << "TopPos";
    QTest::newRow("no key") << QByteArray("[Setup]\r\nAutoGet=1\r\n") << "Setup"
                            << "TopPos";
    QTest::newRow("key in the next section")
        << QByteArray("[Setup]\r\n[Font]\r\nTopPos=1\r\n") << "Setup"
        << "TopPos";
    QTest::newRow("comment line") << QByteArray("[Setup]\r\n;TopPos=1\r\n") << "Setup"
                                  << ";TopPos";
}

void TestSettings::readMissingIsEmpty()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, section);
    QFETCH(QString, key);
    const QString file = path(QTest::currentDataTag());
    if (!content.isEmpty())
        putFile(file, content);
    const QString value = IniFile::read(file, section, key);
    QVERIFY(value.isEmpty());
}

void TestSettings::firstWriteCreatesFile()
{
    QVERIFY(IniFile::write(path(), u"Setup", u"TopPos", u"1"));
    QCOMPARE(fileBytes(path()), QByteArray("[Setup]\r\nTopPos=1\r\n"));
    QCOMPARE(QFile::permissions(path()), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                             QFileDevice::ReadUser | QFileDevice::WriteUser);
}

void TestSettings::writeKeepsEverythingElse()
{
    putFile(path(),
            "; kept\r\n[Setup]\r\nTopPos=1\r\nAutoGet=1\r\n\r\n[Font]\r\nFontName=Mono\r\n");
    QVERIFY(IniFile::write(path(), u"Setup", u"TopPos", u"0"));
    QVERIFY(IniFile::write(path(), u"Setup", u"Msg_Clear", u"1"));
    QVERIFY(IniFile::write(path(), u"WindowSize", u"Width", u"9000"));
    QCOMPARE(fileBytes(path()),
             QByteArray("; kept\r\n[Setup]\r\nTopPos=0\r\nAutoGet=1\r\nMsg_Clear=1\r\n\r\n"
                        "[Font]\r\nFontName=Mono\r\n[WindowSize]\r\nWidth=9000\r\n"));
}

void TestSettings::namesIgnoreCase()
{
    putFile(path(), "[setup]\r\ntoppos=1\r\n");
    QCOMPARE(IniFile::read(path(), u"SETUP", u"TopPos"), QStringLiteral("1"));
    QVERIFY(IniFile::write(path(), u"Setup", u"TOPPOS", u"0"));
    // One key, spelled as the file has it.
    QCOMPARE(fileBytes(path()), QByteArray("[setup]\r\ntoppos=0\r\n"));
}

void TestSettings::removeSectionAndKey()
{
    putFile(path(), "[GroupNo]\r\n1=1\r\n2=2\r\n[GroupNoName]\r\n1=a\r\n2=b\r\n");
    QVERIFY(IniFile::removeSection(path(), u"groupno"));
    QVERIFY(IniFile::read(path(), u"GroupNo", u"1").isEmpty());
    QVERIFY(IniFile::removeKey(path(), u"GroupNoName", u"1"));
    QVERIFY(IniFile::read(path(), u"GroupNoName", u"1").isEmpty());
    QCOMPARE(fileBytes(path()), QByteArray("[GroupNoName]\r\n2=b\r\n"));
}

void TestSettings::emptyValueIsStoredAsKeyOnly()
{
    QVERIFY(IniFile::write(path(), u"Setup", u"LastGroupNo", u"7"));
    QVERIFY(IniFile::write(path(), u"Setup", u"LastGroupNo", u""));
    QCOMPARE(fileBytes(path()), QByteArray("[Setup]\r\nLastGroupNo=\r\n"));
    QCOMPARE(IniFile::read(path(), u"Setup", u"LastGroupNo"), QString());
}

void TestSettings::longValuesAreCutAtCharacterBoundary_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("ascii 300") << QString(300, u'x') << QString(255, u'x');
    QTest::newRow("ascii 255") << QString(255, u'x') << QString(255, u'x');
    // 2-byte characters: 127 fit (254 bytes), the 128th would be split.
    QTest::newRow("two-byte") << QString(200, u'\u00e9') << QString(127, u'\u00e9');
    QTest::newRow("three-byte after one ascii") << (QStringLiteral("a") + QString(100, u'\u20ac'))
                                                << (QStringLiteral("a") + QString(84, u'\u20ac'));
    QString emoji;
    for (int i = 0; i < 70; ++i)
        emoji += QStringLiteral("\U0001F600");
    QTest::newRow("four-byte") << emoji << emoji.left(63 * 2);
}

void TestSettings::longValuesAreCutAtCharacterBoundary()
{
    QFETCH(QString, value);
    QFETCH(QString, expected);
    QVERIFY(IniFile::write(path(), u"Setup", u"Long", value));
    const QString read = IniFile::read(path(), u"Setup", u"Long");
    QCOMPARE(read, expected);
    QVERIFY(read.toUtf8().size() <= 255);
}

void TestSettings::lineBreaksStayInsideTheValue()
{
    QVERIFY(IniFile::write(path(), u"ReExecute", u"Command", u"a\r\nb\nc\r[Setup]\nx=y"));
    QVERIFY(IniFile::write(path(), u"ReExecute", u"Really", u"Yes"));
    QCOMPARE(IniFile::read(path(), u"ReExecute", u"Command"), QStringLiteral("a b c [Setup] x=y"));
    QVERIFY(IniFile::read(path(), u"Setup", u"x").isEmpty());
    QCOMPARE(fileBytes(path()).count("\r\n"), 3);
}

void TestSettings::windows1252FileIsRead()
{
    putFile(path(), "[Font]\r\nFontName=Caf\xe9 \x80\x93\r\nFontSize=12");
    QCOMPARE(IniFile::read(path(), u"Font", u"FontName"), QStringLiteral("Caf\u00e9 \u20ac\u201c"));
    QCOMPARE(IniFile::read(path(), u"Font", u"FontSize"), QStringLiteral("12"));
    // A byte-order mark does not hide the first section.
    putFile(path("bom.ini"), "\xef\xbb\xbf[Setup]\r\nTopPos=0\r\n");
    QCOMPARE(IniFile::read(path("bom.ini"), u"Setup", u"TopPos"), QStringLiteral("0"));
    // A write keeps the text and stores it as UTF-8.
    QVERIFY(IniFile::write(path(), u"Font", u"FontBold", u"1"));
    QCOMPARE(IniFile::read(path(), u"Font", u"FontName"), QStringLiteral("Caf\u00e9 \u20ac\u201c"));
    QVERIFY(fileBytes(path()).contains("Caf\xc3\xa9 \xe2\x82\xac"));
}

void TestSettings::unreadableFileIsNeverOverwritten_data()
{
    QTest::addColumn<bool>("modeZero"); // else: a link to a folder
    QTest::newRow("no read permission") << true;
    QTest::newRow("link to a folder") << false;
}

void TestSettings::unreadableFileIsNeverOverwritten()
{
    QFETCH(bool, modeZero);
    const QString file = path();
    if (modeZero) {
        if (::geteuid() == 0)
            QSKIP("root reads any file");
        putFile(file, "[Setup]\r\nTopPos=0\r\n");
        QVERIFY(QFile::setPermissions(file, {}));
    } else {
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("folder")));
        QVERIFY(QFile::link(m_dir->filePath(QStringLiteral("folder")), file));
    }
    QVERIFY(!IniFile::write(file, u"Setup", u"TopPos", u"1"));
    if (modeZero) {
        QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QCOMPARE(fileBytes(file), QByteArray("[Setup]\r\nTopPos=0\r\n"));
    } else {
        QVERIFY(QFileInfo(file).isSymLink());
    }
}

void TestSettings::writeIntoMissingFolderFails()
{
    QVERIFY(!IniFile::write(m_dir->filePath(QStringLiteral("none/x.ini")), u"A", u"b", u"c"));
    QVERIFY(!QFileInfo::exists(m_dir->filePath(QStringLiteral("none"))));
}

void TestSettings::numbers_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<double>("leading");
    QTest::addColumn<int>("whole");
    QTest::addColumn<int>("int16"); // -99999: does not fit
    QTest::newRow("1abc") << "1abc" << 1.0 << 1 << 1;
    QTest::newRow("empty") << "" << 0.0 << 0 << 0;
    QTest::newRow("letters") << "abc" << 0.0 << 0 << 0;
    QTest::newRow("1.5 rounds up") << "1.5" << 1.5 << 2 << 2;
    QTest::newRow("2.5 rounds down") << "2.5" << 2.5 << 2 << 2;
    QTest::newRow("-0.5") << "-0.5" << -0.5 << 0 << 0;
    QTest::newRow("-1.5") << "-1.5" << -1.5 << -2 << -2;
    QTest::newRow("leading blank") << " 12" << 12.0 << 12 << 12;
    QTest::newRow("sign only") << "-" << 0.0 << 0 << 0;
    QTest::newRow("exponent") << "1e3x" << 1000.0 << 1000 << 1000;
    QTest::newRow(".5") << ".5" << 0.5 << 0 << 0;
    QTest::newRow("int16 max") << "32767" << 32767.0 << 32767 << 32767;
    QTest::newRow("int16 min") << "-32768" << -32768.0 << -32768 << -32768;
    QTest::newRow("rounds past int16") << "32767.5" << 32767.5 << 32768 << -99999;
    QTest::newRow("99999") << "99999" << 99999.0 << 99999 << -99999;
    QTest::newRow("past int32") << "3000000000" << 3e9 << 2147483647 << -99999;
}

void TestSettings::numbers()
{
    QFETCH(QString, value);
    QFETCH(double, leading);
    QFETCH(int, whole);
    QFETCH(int, int16);
    QCOMPARE(leadingNumber(value), leading);
    QCOMPARE(wholeNumberOf(value), whole);
    const std::optional<qint16> small = int16Of(value);
    QCOMPARE(small.has_value(), int16 != -99999);
    if (small)
        QCOMPARE(int(*small), int16);
}

void TestSettings::blanks()
{
    QVERIFY(isBlank(u""));
    QVERIFY(isBlank(u"   "));
    QVERIFY(!isBlank(u" \t "));
    QVERIFY(!isBlank(u"\r\n"));
    QCOMPARE(trimBlanks(u"  a b  "), QStringLiteral("a b"));
    QCOMPARE(trimBlanks(u"\ta\n "), QStringLiteral("\ta\n"));
}

void TestSettings::startupDefaultsOnFreshFile()
{
    Settings(path()).writeStartupDefaults();
    QCOMPARE(fileBytes(path()),
             QByteArray("[Setup]\r\nTopPos=1\r\nAutoGet=1\r\nMsg_Delete=1\r\nMsg_Clear=1\r\n"
                        "Msg_DelTasktrayMenuList=1\r\nIn_TaskTray=1\r\nStartupState=0\r\n"
                        "StartupGroup=0\r\n"));
}

void TestSettings::startupDefaultsFillOnlyBlankKeys()
{
    putFile(path(), "[Setup]\r\nTopPos=0\r\nAutoGet=   \r\nMsg_Delete=\r\nMsg_Clear=1.0\r\n"
                    "StartupGroup=2\r\nLastGroupNo=5\r\n[Font]\r\nFontName=Mono\r\n");
    const Settings settings(path());
    settings.writeStartupDefaults();
    QCOMPARE(settings.value(Setting::TopPos), QStringLiteral("0"));
    QCOMPARE(settings.value(Setting::AutoGet), QStringLiteral("1"));
    QCOMPARE(settings.value(Setting::MsgDelete), QStringLiteral("1"));
    QCOMPARE(settings.value(Setting::MsgClear), QStringLiteral("1.0"));
    QCOMPARE(settings.value(Setting::StartupGroup), QStringLiteral("2"));
    QCOMPARE(settings.value(Setting::StartupState), QStringLiteral("0"));
    QCOMPARE(settings.value(Setting::LastGroupNo), QStringLiteral("5"));
    QCOMPARE(settings.value(Setting::FontName), QStringLiteral("Mono"));
    QVERIFY(!settings.isExactlyOne(Setting::MsgClear));
    QCOMPARE(settings.number(Setting::MsgClear), 1.0);
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
