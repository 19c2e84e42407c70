#include "ui/main/savefailure.h"

#include "platform/filesys.h"
#include "store/groupfile.h"

#include <QDir>
#include <QFileInfo>

Q_LOGGING_CATEGORY(lcSave, "pastebasket.save", QtInfoMsg)

namespace SaveFailure {

QString title()
{
    return QStringLiteral("System error");
}

QString exitRefusedText(const QStringList &failures)
{
    return QStringLiteral("The texts could not be saved, so the program keeps running and keeps "
                          "them in memory.\r\n") +
           failures.join(QStringLiteral("\r\n")) +
           QStringLiteral("\r\nMake room on the disk or repair the folder, then exit again.");
}

QString settingsLostText(const QStringList &failures)
{
    return QStringLiteral("The texts are saved, but some settings could not be written.\r\n") +
           failures.join(QStringLiteral("\r\n"));
}

QString periodicText(const QString &failure)
{
    return QStringLiteral("The texts could not be saved; they are kept in memory and saving is "
                          "tried again every two minutes.\r\n") +
           failure;
}

QString recoveryPath(const QString &groupFile, const QDateTime &at)
{
    const QString base =
        groupFile + QStringLiteral(".recovered-") + at.toString(QStringLiteral("yyyyMMdd-hhmmss"));
    QString path = base;
    for (int n = 2; QFileInfo::exists(path) || QFileInfo(path).isSymLink(); ++n)
        path = base + QLatin1Char('-') + QString::number(n);
    return path;
}

QString writeRecoveryFile(const QString &groupFile, const QList<TextEntry> &entries, QString *error,
                          const QDateTime &at)
{
    const QString path = recoveryPath(groupFile, at);
    if (!writeFileAtomically(path, serializeGroup(entries), error))
        return {};
    return path;
}

} // namespace SaveFailure

PeriodicSaveNotice::PeriodicSaveNotice(Tell tell)
    : m_tell(std::move(tell))
{}

void PeriodicSaveNotice::saved()
{
    if (m_failing)
        qCInfo(lcSave, "the periodic save works again");
    m_failing = false;
}

void PeriodicSaveNotice::failed(const QString &failure)
{
    qCWarning(lcSave, "periodic save failed: %s", qUtf8Printable(failure));
    if (m_failing)
        return;
    m_failing = true;
    if (m_tell)
        m_tell(SaveFailure::title(), SaveFailure::periodicText(failure));
}
