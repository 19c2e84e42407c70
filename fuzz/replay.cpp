// Runs a harness over every file of its corpus without libFuzzer, so the normal
// test build replays the seeds and every input that ever failed. A broken
// property aborts, which fails the test. Arguments: files or folders to replay;
// without any, the corpus folder compiled in.

#include "fuzzcheck.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {

bool replayFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s: %s\n", qPrintable(path),
                     qPrintable(file.errorString()));
        return false;
    }
    const QByteArray bytes = file.readAll();
    std::fprintf(stderr, "%s\n", qPrintable(path));
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()),
                           size_t(bytes.size()));
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QStringList paths;
    for (int i = 1; i < argc; ++i)
        paths.append(QString::fromLocal8Bit(argv[i]));
    if (paths.isEmpty())
        paths.append(QStringLiteral(PB_FUZZ_CORPUS));

    int replayed = 0;
    for (const QString &path : paths) {
        if (!QFileInfo(path).isDir()) {
            if (!replayFile(path))
                return 1;
            ++replayed;
            continue;
        }
        QStringList files;
        for (QDirIterator it(path, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
            files.append(it.next());
        files.sort();
        for (const QString &file : files) {
            if (!replayFile(file))
                return 1;
            ++replayed;
        }
    }
    // An empty or missing corpus would pass without testing anything.
    if (replayed == 0) {
        std::fprintf(stderr, "no inputs found in %s\n", qPrintable(paths.join(u' ')));
        return 1;
    }
    std::printf("%d inputs replayed\n", replayed);
    return 0;
}
