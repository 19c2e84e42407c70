#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the event loop, so a
// logout, a shutdown or a kill ends the program through its normal exit and
// nothing in memory is lost. One instance at a time; the handlers are put back
// when it goes.
class ExitSignals : public QObject
{
    Q_OBJECT

public:
    explicit ExitSignals(QObject *parent = nullptr);
    ~ExitSignals() override;

    // False when the handlers could not be installed.
    bool isActive() const { return m_notifier != nullptr; }

signals:
    void exitRequested(int signalNumber);

private:
    void readSignal();

    QSocketNotifier *m_notifier = nullptr;
};
