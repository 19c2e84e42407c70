#include "platform/appicon.h"
#include "platform/readmefile.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cstdlib>

namespace {
QString sourceIcon(const QString &name)
{
    return QStringLiteral(PB_SOURCE_DIR "/data/icons/") + name;
}

// Premultiplied, as a pixmap holds it, so that both sides round alike.
QImage rgba(const QImage &image)
{
    return image.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
}

// The largest difference of one colour channel between two images of one size.
int largestChannelDifference(const QImage &a, const QImage &b)
{
    const QImage x = rgba(a);
    const QImage y = rgba(b);
    int worst = 0;
    for (int row = 0; row < x.height(); ++row) {
        const uchar *p = x.constScanLine(row);
        const uchar *q = y.constScanLine(row);
        for (int i = 0; i < x.width() * 4; ++i) {
            worst = std::max(worst, std::abs(int(p[i]) - int(q[i])));
        }
    }
    return worst;
}

void addSizeRows()
{
    QTest::addColumn<int>("size");
    for (const int size : kAppIconSizes) {
        QTest::addRow("%dpx", size) << size;
    }
}

void writeFile(const QString &path)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<html></html>");
}
} // namespace

class TestDesktop : public QObject
{
    Q_OBJECT

private slots:
    void iconShowsTheDrawingOfItsSize_data() { addSizeRows(); }
    void iconShowsTheDrawingOfItsSize();
    void pngsAreDrawnFromTheCurrentSvg_data() { addSizeRows(); }
    void pngsAreDrawnFromTheCurrentSvg();
    void readmeIsFound_data();
    void readmeIsFound();
};

// Each size must come from its own picture, unscaled (a size missing from the
// resource would be scaled from another), with a clear background so that it
// sits on any panel colour.
void TestDesktop::iconShowsTheDrawingOfItsSize()
{
    QFETCH(int, size);
    const QImage shown = appIcon().pixmap(QSize(size, size)).toImage();
    QCOMPARE(shown.size(), QSize(size, size));
    const QImage drawn(sourceIcon(QStringLiteral("pastebasket-%1.png").arg(size)));
    QVERIFY(!drawn.isNull());
    QCOMPARE(largestChannelDifference(shown, drawn), 0);

    QCOMPARE(qAlpha(shown.pixel(0, size - 1)), 0);
    QCOMPARE(qAlpha(shown.pixel(size - 1, size - 1)), 0);
    QCOMPARE(qAlpha(shown.pixel(size / 2, size * 3 / 4)), 255);
}

// The PNGs are committed; an SVG changed without `make icons` leaves them stale.
void TestDesktop::pngsAreDrawnFromTheCurrentSvg()
{
    QFETCH(int, size);
    const QString renderer = QStandardPaths::findExecutable(QStringLiteral("rsvg-convert"));
    if (renderer.isEmpty()) {
        QSKIP("rsvg-convert (librsvg2-bin) is not installed");
    }
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString svg = sourceIcon(size == 16 ? QStringLiteral("pastebasket-16.svg")
                                              : QStringLiteral("pastebasket.svg"));
    const QString png = dir.filePath(QStringLiteral("fresh.png"));
    QProcess render;
    render.start(renderer,
                 {QStringLiteral("--width"), QString::number(size), QStringLiteral("--height"),
                  QString::number(size), svg, QStringLiteral("--output"), png});
    QVERIFY(render.waitForFinished(30000));
    QCOMPARE(render.exitCode(), 0);

    const QImage fresh(png);
    const QImage committed(sourceIcon(QStringLiteral("pastebasket-%1.png").arg(size)));
    QCOMPARE(committed.size(), fresh.size());
    // Another version of the renderer may round edges a little differently.
    QVERIFY2(largestChannelDifference(fresh, committed) <= 24,
             "the committed PNG differs from the SVG: run `make icons`");
}

void TestDesktop::readmeIsFound_data()
{
    QTest::addColumn<bool>("besideProgram");
    QTest::addColumn<bool>("inDocFolder");
    QTest::addColumn<QString>("expected");

    const QString beside = QStringLiteral("bin/Readme.html");
    const QString installed = QStringLiteral("share/doc/pastebasket/Readme.html");
    QTest::newRow("portable copy or build tree") << true << false << beside;
    QTest::newRow("installed under a prefix") << false << true << installed;
    QTest::newRow("a copy beside the program wins") << true << true << beside;
    QTest::newRow("missing: names the place beside the program") << false << false << beside;
}

void TestDesktop::readmeIsFound()
{
    QFETCH(bool, besideProgram);
    QFETCH(bool, inDocFolder);
    QFETCH(QString, expected);
#ifndef PB_STANDARD_LAYOUT
    QSKIP("installed with another bin or doc folder than bin and share/doc/pastebasket");
#endif
    QTemporaryDir prefix;
    QVERIFY(prefix.isValid());
    const QDir root(prefix.path());
    QVERIFY(root.mkpath(QStringLiteral("bin")));
    if (besideProgram) {
        writeFile(root.filePath(QStringLiteral("bin/Readme.html")));
    }
    if (inDocFolder) {
        writeFile(root.filePath(QStringLiteral("share/doc/pastebasket/Readme.html")));
    }
    QCOMPARE(readmeFileFor(root.filePath(QStringLiteral("bin"))), root.filePath(expected));
}

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
