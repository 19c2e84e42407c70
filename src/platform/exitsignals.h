#pragma once

#include <QObject>

class QSocketNotifier;

// Turns the operating system's requests to end (SIGTERM, SIGINT and SIGHUP on
// Unix; the console's close and logoff events on Windows) into a Qt signal on
// the event loop, so a logout, a shutdown or a kill ends the program through
// its normal exit and nothing in memory is lost. One instance at a time; the
// previous handlers are put back when it goes.
class ExitSignals : public QObject
{
    Q_OBJECT

public:
    explicit ExitSignals(QObject *parent = nullptr);
    ~ExitSignals() override;

    // A readable name of a number that exitRequested() gave ("SIGTERM").
    static QString name(int signalNumber);

signals:
    void exitRequested(int signalNumber);

private:
    void readSignal();

    QSocketNotifier *m_notifier = nullptr;
};
