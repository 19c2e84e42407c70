// The way out of the window: the exit commands, the end of the session and the
// saves they make, with what happens when a save fails.
#include "ui/main/mainwindow.h"

#include "capture/capturescheduler.h"
#include "store/groupfile.h"
#include "ui/dialogs/prompter.h"
#include "ui/main/maincontroller.h"
#include "ui/main/savefailure.h"
#include "ui/main/windowsettings.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QListView>

bool MainWindow::exitApp(ExitCause cause)
{
    if (!unload(cause))
        return false;
    close();
    return true;
}

QStringList MainWindow::saveEverything(bool *groupSaved)
{
    MainController &c = *m_controller;
    *groupSaved = c.saveGroup();
    // Every setting the exit keeps, in one write of the file.
    Settings::Batch settings(c.settings());
    // The frame's place and the client's size, whatever the window's state: a
    // maximized or minimized window keeps the frame offset of its normal one.
    const QPoint frameOffset = geometry().topLeft() - pos();
    WindowSettings::addGeometry(settings, windowState(), normalGeometry().topLeft() - frameOffset,
                                normalGeometry().size(), chkTopPos->isChecked());
    WindowSettings::addListFont(settings, lstText->font());
    c.addSetup(settings, chkAutoGet->isChecked(), chkTopPos->isChecked());
    QString settingsError;
    const bool settingsSaved = settings.commit(&settingsError);
    QStringList failures;
    if (!*groupSaved)
        failures.append(c.lastSaveError());
    if (!settingsSaved)
        failures.append(QStringLiteral("cannot write the settings to %1: %2")
                            .arg(QDir::toNativeSeparators(c.paths().iniFile), settingsError));
    return failures;
}

void MainWindow::answerSystemSaveFailure(const QStringList &failures, bool groupSaved)
{
    for (const QString &failure : failures)
        qCCritical(lcSave, "%s", qUtf8Printable(failure));
    if (groupSaved)
        return;
    MainController &c = *m_controller;
    const QList<TextEntry> entries = c.model().entriesInRowOrder();
    if (entries.isEmpty()) {
        qCCritical(lcSave, "no texts were in memory");
        return;
    }
    const QString groupFile = c.currentGroupNo() >= 0
                                  ? c.paths().groupFile(c.currentGroupNo())
                                  : c.paths().dataFolder + QStringLiteral("/group.dat");
    QString error;
    QString recovery = SaveFailure::writeRecoveryFile(groupFile, entries, &error);
    if (recovery.isEmpty()) {
        // A data folder that takes no file at all: the user folder above it may.
        const QString beside =
            c.paths().userFolder + QLatin1Char('/') + QFileInfo(groupFile).fileName();
        QString secondError;
        recovery = SaveFailure::writeRecoveryFile(beside, entries, &secondError);
        if (recovery.isEmpty())
            error += QStringLiteral("; ") + secondError;
    }
    if (!recovery.isEmpty()) {
        qCCritical(lcSave, "the %lld texts in memory are kept in %s",
                   static_cast<long long>(entries.size()),
                   qUtf8Printable(QDir::toNativeSeparators(recovery)));
    } else {
        qCCritical(lcSave, "the %lld texts in memory could not be kept anywhere: %s",
                   static_cast<long long>(entries.size()), qUtf8Printable(error));
    }
}

bool MainWindow::unload(ExitCause cause)
{
    if (m_unloaded)
        return true;
    m_capture->stop();
    bool groupSaved = false;
    const QStringList failures = saveEverything(&groupSaved);
    if (cause == ExitCause::User && !failures.isEmpty()) {
        const QString text = groupSaved ? SaveFailure::settingsLostText(failures)
                                        : SaveFailure::exitRefusedText(failures);
        m_prompter->message(text, SaveFailure::title(), Prompter::Buttons::Ok);
        if (!groupSaved) {
            // The user can make room and exit again; nothing is lost meanwhile.
            m_capture->start();
            return false;
        }
    }
    if (cause == ExitCause::System && !failures.isEmpty()) {
        answerSystemSaveFailure(failures, groupSaved);
        m_exitSaveFailed = true;
    }
    m_unloaded = true;
    removeTrayIcon();
    emit unloaded();
    return true;
}

void MainWindow::commitData()
{
    if (m_unloaded)
        return;
    bool groupSaved = false;
    const QStringList failures = saveEverything(&groupSaved);
    if (failures.isEmpty()) {
        qCInfo(lcSave, "saved for the session manager");
        return;
    }
    answerSystemSaveFailure(failures, groupSaved);
}
