#include "platform/filesys.h"
#include "platform/instancelock.h"
#include "platform/processguard.h"
#include "platform/screens.h"
#include "platform/textcodec.h"
#include "platform/twips.h"

#include <QTemporaryDir>
#include <QTest>

#include <limits>
#include <optional>

#include <csignal>
#include <sys/resource.h>

using namespace Qt::StringLiterals;

class TestPlatform : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(m_dir.emplace().isValid()); }

    // A full disk stops the write part-way (a file-size limit stands in for it).
    void failedWriteLeavesTargetIntact()
    {
        QVERIFY(writeFileAtomically(path("group0.dat"), "keep me"));
        rlimit saved{};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        const rlimit limit{1024, saved.rlim_max};
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limit), 0);
        QString error;
        const bool written = writeFileAtomically(path("group0.dat"), QByteArray(4096, 'x'), &error);
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        QByteArray kept;
        QVERIFY(!written && !error.isEmpty() && readWholeFile(path("group0.dat"), &kept));
        QCOMPARE(kept, QByteArray("keep me"));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files).size(), 1);
    }

    // Only what a killed save of a matching file left goes.
    void leftoverTempFilesAreRemoved()
    {
        const QStringList kept = QStringLiteral("Pastebasket.ini.0123456789abcdef.tmp group0.dat "
                                                "group0.dat.0123456789ABCDEF.tmp group0.dat.tmp")
                                     .split(u' ');
        for (const QString &name : kept + QStringList{u"group0.dat.0123456789abcdef.tmp"_s,
                                                      u"M.dat.fedcba9876543210.tmp"_s})
            QVERIFY(writeFileAtomically(m_dir->filePath(name), "x"));
        QCOMPARE(removeLeftoverTempFiles(m_dir->path(), u"*.dat"_s), 2);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files, QDir::Name), kept);
    }

    // The encoding is decided per line: one stray byte garbles its own line only.
    // Byte-order marks at the start go, however many an editor added.
    void decodesEachLineOnItsOwn_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Windows-1252 line, CR LF")
            << QByteArray("\xc3\xa9\r\n\x80\x9f\xe9\r\n\xc3\xa9")
            << u"\u00e9\r\n\u20ac\u0178\u00e9\r\n\u00e9"_s;
        QTest::newRow("lone CR and LF")
            << QByteArray("\xc3\xa9\r\xe9\n\xe2\x82\xac") << u"\u00e9\r\u00e9\n\u20ac"_s;
        QTest::newRow("cut character")
            << QByteArray("\xe2\x82\r\n\xc3\xa9") << u"\u00e2\u201a\r\n\u00e9"_s;
        QTest::newRow("encoded surrogate") << QByteArray("\xed\xa0\x80") << u"\u00ed\u00a0\u20ac"_s;
        QTest::newRow("marks at the start, then a stray byte")
            << QByteArray("\xef\xbb\xbf\xef\xbb\xbf\xc3\xa9\xef\xbb\xbf\n\xe9")
            << u"\u00e9\ufeff\n\u00e9"_s;
    }
    void decodesEachLineOnItsOwn()
    {
        QFETCH(QByteArray, bytes);
        QTEST(decodeFileText(bytes), "expected");
    }

    // A primary screen 1280 x 800 with a 24-pixel panel on top, and a second
    // screen to its right that starts lower; without screens, only into a range
    // that leaves room for the size.
    void keepOnScreens_data()
    {
        QTest::addColumn<QList<qint64>>("wanted"); // x, y, width, height
        QTest::addColumn<bool>("noScreens");
        QTest::addColumn<QRect>("placed");
        const qint64 huge = Twips::kLimit;
        using L = QList<qint64>;
        // clang-format off
        QTest::newRow("inside stays") << L{100, 50, 300, 400} << false << QRect(100, 50, 300, 400);
        QTest::newRow("under the panel moved down") << L{100, 0, 300, 400} << false << QRect(100, 24, 300, 400);
        QTest::newRow("too large cut") << L{0, 0, 5000, 5000} << false << QRect(0, 24, 1280, 776);
        QTest::newRow("mostly on the second") << L{1200, 300, 300, 200} << false << QRect(1280, 300, 300, 200);
        QTest::newRow("right of the second") << L{4000, 2000, 300, 400} << false << QRect(1940, 600, 300, 400);
        QTest::newRow("far up and left") << L{-huge, -huge, 300, 400} << false << QRect(0, 24, 300, 400);
        QTest::newRow("huge everything") << L{huge, huge, huge, huge} << false << QRect(1280, 200, 960, 800);
        QTest::newRow("empty size") << L{10, 30, 0, -5} << false << QRect(10, 30, 1, 1);
        QTest::newRow("no screens") << L{huge, -5, 20, 30} << true << QRect(std::numeric_limits<int>::max() / 2, -5, 20, 30);
        // clang-format on
    }
    void keepOnScreens()
    {
        QFETCH(QList<qint64>, wanted);
        QFETCH(bool, noScreens);
        const QList<QRect> areas{QRect(0, 24, 1280, 776), QRect(1280, 200, 960, 800)};
        QTEST(Screens::keepOnScreens({wanted[0], wanted[1], wanted[2], wanted[3]},
                                     noScreens ? QList<QRect>() : areas),
              "placed");
    }

    // What a crash between creating the lock file and writing its owner, or a
    // full disk, leaves names nobody: it is taken over, not counted as a copy.
    void ownerlessLockIsTakenOver_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("garbage") << QByteArray("\x01\xff not a lock\n");
        QTest::newRow("no pid") << QByteArray("\nhost\napp\n");
    }
    void ownerlessLockIsTakenOver()
    {
        QFETCH(QByteArray, content);
        const QString file = InstanceLock::lockFileIn(m_dir->path());
        QFile stale(file);
        QVERIFY(stale.open(QIODevice::WriteOnly) && stale.write(content) == content.size());
        stale.close();
        InstanceLock lock(file);
        QCOMPARE(lock.tryLock(), InstanceLock::Result::Acquired);
        QCOMPARE(InstanceLock(file).tryLock(), InstanceLock::Result::HeldByOther);
    }

    void coreDumpsAreOff()
    {
        guardProcess();
        QVERIFY(coreDumpsDisabled());
    }

private:
    QString path(const char *name) const { return m_dir->filePath(QLatin1String(name)); }
    std::optional<QTemporaryDir> m_dir;
};

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
