#include "support/program.h"

#include "support/files.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

Program::Program(const QProcessEnvironment &desktop, const QString &executable)
    : m_desktop(desktop)
    , m_executable(executable)
{
    QDir(top()).mkdir(u"run"_s, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_process.setReadChannel(QProcess::StandardError);
}

Program::~Program()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    if (QTest::currentTestFailed())
        qWarning("the program's log:\n%s", log().constData());
}

QString Program::file(const char *name) const
{
    return home() + u"/Orvendel Software/Pastebasket/"_s + QLatin1String(name);
}

bool Program::write(const char *name, const QByteArray &content) const
{
    return writeBytes(file(name), content);
}

QByteArray Program::read(const char *name) const
{
    return readBytes(file(name));
}

QProcessEnvironment Program::environment() const
{
    QProcessEnvironment env = m_desktop;
    env.insert(u"XDG_DATA_HOME"_s, home());
    env.insert(u"XDG_RUNTIME_DIR"_s, runtime());
    env.insert(u"QT_LOGGING_RULES"_s, u"pastebasket.*.info=true"_s);
    // libxkbcommon-x11 hands strndup() a buffer that is not NUL-terminated but
    // long enough; the strict check reports that as an overflow.
    env.insert(u"ASAN_OPTIONS"_s,
               env.value(u"ASAN_OPTIONS"_s)
                   .replace(u"strict_string_checks=1"_s, u"strict_string_checks=0"_s));
    return env;
}

void Program::start(const QStringList &arguments, const std::function<void()> &childSetup)
{
    m_process.setProcessEnvironment(environment());
    m_process.setChildProcessModifier(childSetup ? childSetup : [] {});
    m_process.start(m_executable, arguments);
    QVERIFY2(m_process.waitForStarted(kTimeoutMs), qPrintable(m_process.errorString()));
}

int Program::startSecondCopy() const
{
    QProcess second;
    second.setProcessEnvironment(environment());
    second.setProcessChannelMode(QProcess::ForwardedChannels);
    second.start(m_executable, {});
    return second.waitForFinished(kTimeoutMs) ? second.exitCode() : -1;
}

int Program::waitForExit()
{
    const bool ended = m_process.waitForFinished(kTimeoutMs);
    log();
    return ended && m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

const QByteArray &Program::log()
{
    m_log += m_process.readAllStandardError();
    return m_log;
}

bool Program::waitForLog(const QByteArray &text, int count)
{
    const QDeadlineTimer deadline(kTimeoutMs);
    while (log().count(text) < count && isRunning() && !deadline.hasExpired())
        m_process.waitForReadyRead(100);
    return log().count(text) >= count;
}

QRect Program::whereIs(const char *name)
{
    const QByteArray key = ' ' + QByteArray(name) + '=';
    static const QRegularExpression rect(u"^(-?\\d+),(-?\\d+),(\\d+)x(\\d+)"_s);
    for (const QDeadlineTimer deadline(kTimeoutMs); !deadline.hasExpired();
         m_process.waitForReadyRead(100)) {
        // The last whole line of that kind.
        const QByteArray all = log().left(log().lastIndexOf('\n'));
        const qsizetype line = all.lastIndexOf("pastebasket.layout: layout:");
        const QByteArray last = all.mid(line).split('\n').first();
        const qsizetype at = last.indexOf(key);
        const QRegularExpressionMatch m =
            rect.match(QString::fromLatin1(last.mid(at + key.size())));
        if (line >= 0 && at >= 0 && m.hasMatch())
            return QRect(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(),
                         m.captured(4).toInt());
    }
    return {};
}
