#include "platform/appicon.h"
#include "platform/filesys.h"
#include "platform/readmefile.h"
#include "platform/session.h"
#include "platform/textcodec.h"

#include <QImage>
#include <QPixmap>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

int modeOf(const QString &path)
{
    struct stat st
    {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

QByteArray fileBytes(const QString &path)
{
    QByteArray data;
    return readWholeFile(path, &data) ? data : QByteArray("<unreadable>");
}

} // namespace

class TestPlatform : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(m_dir.emplace().isValid()); }

    void filesAndFoldersArePrivate()
    {
        // Private even when the user's umask would allow more; an old file that
        // everybody could read becomes private when it is replaced.
        const mode_t oldUmask = ::umask(0);
        const auto restore = qScopeGuard([&] { ::umask(oldUmask); });
        QVERIFY(QFile(path("a.ini")).open(QIODevice::WriteOnly));
        QVERIFY(writeFileAtomically(path("a.ini"), "new"));
        QVERIFY(replaceFileAtomically(path("b.dat"), "b", path("b.tmp")));
        bool created = false;
        QVERIFY(makePrivateFolder(path("f"), nullptr, &created) && created);
        QVERIFY(makePrivateFolder(path("f"), nullptr, &created) && !created);
        QVERIFY(makePrivateFolderPath(path("p/q")));
        QCOMPARE(fileBytes(path("a.ini")), QByteArray("new"));
        QCOMPARE(QList<int>({modeOf(path("a.ini")), modeOf(path("b.dat")), modeOf(path("f")),
                             modeOf(path("p")), modeOf(path("p/q"))}),
                 QList<int>({0600, 0600, 0700, 0700, 0700}));
        // No temporary file is left behind.
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files).size(), 2);
    }

    void failedReplaceLeavesTargetIntact_data()
    {
        QTest::addColumn<QString>("tempName");
        QTest::addColumn<bool>("diskFull");
        QTest::newRow("temp in a missing folder") << "missing/t.tmp" << false;
        QTest::newRow("temp is a folder") << "folder" << false;
        QTest::newRow("disk full") << "t.tmp" << true;
    }
    void failedReplaceLeavesTargetIntact()
    {
        QFETCH(QString, tempName);
        QFETCH(bool, diskFull);
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("folder")));
        QVERIFY(writeFileAtomically(path("group0.dat"), "keep me"));

        // A file-size limit makes the write stop part-way, as a full disk does.
        rlimit saved{};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        rlimit limit = saved;
        limit.rlim_cur = diskFull ? 1024 : saved.rlim_cur;
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limit), 0);
        QString error;
        const bool written = replaceFileAtomically(path("group0.dat"), QByteArray(4096, 'x'),
                                                   m_dir->filePath(tempName), &error);
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);

        QVERIFY(!written && !error.isEmpty());
        QCOMPARE(fileBytes(path("group0.dat")), QByteArray("keep me"));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files).size(), 1);
    }

    // Only what a killed save of a matching file left goes.
    void leftoverTempFilesAreRemoved()
    {
        const QStringList names =
            QStringLiteral("group0.dat.0123456789abcdef.tmp group0.dat.tmp group0.dat "
                           "group0.dat.0123456789ABCDEF.tmp "
                           "Management.dat.fedcba9876543210.tmp "
                           "Pastebasket.ini.0123456789abcdef.tmp")
                .split(u' ');
        for (const QString &name : names)
            QVERIFY(writeFileAtomically(m_dir->filePath(name), "x"));
        QCOMPARE(removeLeftoverTempFiles(m_dir->path(), QStringLiteral("*.dat")), 2);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files, QDir::Name),
                 QStringLiteral("Pastebasket.ini.0123456789abcdef.tmp group0.dat "
                                "group0.dat.0123456789ABCDEF.tmp group0.dat.tmp")
                     .split(u' '));
    }

    // The encoding is decided per line: one stray byte garbles its own line only.
    void decodesEachLineOnItsOwn_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        QTest::newRow("UTF-8") << QByteArray("caf\xc3\xa9\r\n\xe4\xb8\xad")
                               << QStringLiteral("caf\u00e9\r\n\u4e2d");
        QTest::newRow("Windows-1252")
            << QByteArray("\x80\x9f\xe9") << QStringLiteral("\u20ac\u0178\u00e9");
        QTest::newRow("stray byte, CR LF") << QByteArray("\xc3\xa9\r\n\xe9\r\n\xc3\xa9")
                                           << QStringLiteral("\u00e9\r\n\u00e9\r\n\u00e9");
        QTest::newRow("lone CR and LF") << QByteArray("\xc3\xa9\r\xe9\n\xe2\x82\xac")
                                        << QStringLiteral("\u00e9\r\u00e9\n\u20ac");
        QTest::newRow("cut character")
            << QByteArray("\xe2\x82\r\n\xc3\xa9") << QStringLiteral("\u00e2\u201a\r\n\u00e9");
        QTest::newRow("encoded surrogate")
            << QByteArray("\xed\xa0\x80") << QStringLiteral("\u00ed\u00a0\u20ac");
    }
    void decodesEachLineOnItsOwn()
    {
        QFETCH(QByteArray, bytes);
        QTEST(decodeFileText(bytes), "expected");
    }

    void choosesPlatform_data()
    {
        // QT_QPA_PLATFORM, WAYLAND_DISPLAY, XDG_SESSION_TYPE, DISPLAY
        QTest::addColumn<QByteArrayList>("env");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray xFirst = "xcb;wayland";
        QTest::newRow("X11 session") << QByteArrayList{"", "", "x11", ":0"} << QByteArray();
        QTest::newRow("Wayland with XWayland")
            << QByteArrayList{"", "wayland-0", "wayland", ":0"} << xFirst;
        QTest::newRow("Wayland session, default socket")
            << QByteArrayList{"", "", "wayland", ":0"} << xFirst;
        QTest::newRow("Wayland without XWayland")
            << QByteArrayList{"", "wayland-0", "wayland", ""} << QByteArray();
        QTest::newRow("user chose Wayland")
            << QByteArrayList{"wayland", "wayland-0", "wayland", ":0"} << QByteArray();
    }
    void choosesPlatform()
    {
        QFETCH(QByteArrayList, env);
        QTEST(preferredPlatform({env[0], env[1], env[2], env[3]}), "expected");
    }

    void iconSizesAreDrawnUnscaled_data()
    {
        QTest::addColumn<int>("size");
        for (const int size : kAppIconSizes)
            QTest::addRow("%dpx", size) << size;
    }
    // Each size must come from its own picture: a size missing from the
    // resource would be scaled from another.
    void iconSizesAreDrawnUnscaled()
    {
        QFETCH(int, size);
        const auto rgba = [](const QImage &image) {
            return image.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
        };
        const QImage drawn(
            QStringLiteral(PB_SOURCE_DIR "/data/icons/pastebasket-%1.png").arg(size));
        QVERIFY(!drawn.isNull());
        QCOMPARE(rgba(appIcon().pixmap(QSize(size, size)).toImage()), rgba(drawn));
    }

    void readmeIsFound_data()
    {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QString>("expected");
        const QString beside = QStringLiteral("bin/Readme.html");
        const QString installed = QStringLiteral("share/doc/pastebasket/Readme.html");
        QTest::newRow("installed under a prefix") << QStringList{installed} << installed;
        QTest::newRow("a copy beside the program wins") << QStringList{installed, beside} << beside;
        QTest::newRow("missing: names the place beside the program") << QStringList{} << beside;
    }
    void readmeIsFound()
    {
        QFETCH(QStringList, present);
#ifndef PB_STANDARD_LAYOUT
        QSKIP("installed with another bin or doc folder than bin and share/doc/pastebasket");
#endif
        const QDir root(m_dir->path());
        QVERIFY(root.mkpath(QStringLiteral("bin")) &&
                root.mkpath(QStringLiteral("share/doc/pastebasket")));
        for (const QString &file : present)
            QVERIFY(QFile(root.filePath(file)).open(QIODevice::WriteOnly));
        QTEST(root.relativeFilePath(readmeFileFor(path("bin"))), "expected");
    }

private:
    QString path(const char *name) const
    {
        return m_dir->filePath(QLatin1String(name));
    }
    std::optional<QTemporaryDir> m_dir;
};

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
