#pragma once

#include "store/textentry.h"

#include <QDateTime>
#include <QList>
#include <QLoggingCategory>
#include <QString>

#include <functional>

// Failed saves are never silent: a save the user asked for is answered with a
// message, one the program makes on its own (the periodic save, an exit by a
// signal or by the end of the session) is logged here, and nothing that was in
// memory is dropped.
Q_DECLARE_LOGGING_CATEGORY(lcSave)

namespace SaveFailure {

// "System error", the title of every failure message.
QString title();

// The message for a user's exit whose save failed: what was not written and
// why, and that the program keeps running with the texts in memory.
QString exitRefusedText(const QStringList &failures);
// The message for an exit that went ahead although a setting was not written.
QString settingsLostText(const QStringList &failures);
// The notice for the first of a run of failing periodic saves.
QString periodicText(const QString &failure);

// Where an exit that cannot wait writes the texts its save could not put in the
// group file: beside that file, as "<name>.recovered-<yyyyMMdd-hhmmss>"; a
// counter is added when that name is taken.
QString recoveryPath(const QString &groupFile, const QDateTime &at);

// Writes the entries, in the group file's own format, to a new recovery file
// beside the group file (private to the user). The path written, or an empty
// string with the reason in *error.
QString writeRecoveryFile(const QString &groupFile, const QList<TextEntry> &entries,
                          QString *error = nullptr,
                          const QDateTime &at = QDateTime::currentDateTime());

} // namespace SaveFailure

// Tells the user once per run of failing periodic saves, not every period: the
// texts stay in memory and the next period tries again; a save that succeeds
// ends the run.
class PeriodicSaveNotice
{
public:
    using Tell = std::function<void(const QString &title, const QString &text)>;

    explicit PeriodicSaveNotice(Tell tell);

    void saved();
    void failed(const QString &failure);
    bool inFailingRun() const { return m_failing; }

private:
    Tell m_tell;
    bool m_failing = false;
};
