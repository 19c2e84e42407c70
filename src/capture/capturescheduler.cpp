#include "capture/capturescheduler.h"

#include "capture/clipboardmonitor.h"

#include "platform/clipboard.h"
#include "store/textlistmodel.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

CaptureScheduler::CaptureScheduler(ClipboardMonitor &monitor, ClipboardAccess &clipboard,
                                   TextListModel &model, const QString &rexFilePath, Hooks hooks,
                                   QObject *parent)
    : QObject(parent)
    , m_monitor(monitor)
    , m_clipboard(clipboard)
    , m_model(model)
    , m_rexFilePath(rexFilePath)
    , m_hooks(std::move(hooks))
    , timMain(new QTimer(this))
    , m_saveTimer(new QTimer(this))
    , m_markerTimer(new QTimer(this))
    , m_watcher(new QFileSystemWatcher(this))
{
    timMain->setObjectName(QStringLiteral("timMain"));
    timMain->setInterval(kPollIntervalMs);
    connect(timMain, &QTimer::timeout, this, [this] { captureIfOn(); });

    m_saveTimer->setObjectName(QStringLiteral("timSave"));
    m_saveTimer->setSingleShot(true);
    m_saveTimer->setInterval(kSaveAfterMs);
    connect(m_saveTimer, &QTimer::timeout, this, [this] { saveNow(); });
    connect(&m_model, &TextListModel::modifiedChanged, this, [this](bool modified) {
        if (modified)
            armSaveIfChanged();
        else
            m_saveTimer->stop();
    });

    m_markerTimer->setObjectName(QStringLiteral("timMarker"));
    m_markerTimer->setInterval(kMarkerCheckMs);
    connect(m_markerTimer, &QTimer::timeout, this, [this] { checkMarker(); });
    // Without a watch (no inotify left, a file system that reports nothing) the
    // marker is looked for every few seconds instead.
    if (!m_rexFilePath.isEmpty())
        m_watcher->addPath(QFileInfo(m_rexFilePath).absolutePath());
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { checkMarker(); });

    m_clipboard.setChangeHandler([this] { captureIfOn(); });
}

CaptureScheduler::~CaptureScheduler()
{
    m_clipboard.setChangeHandler({});
}

void CaptureScheduler::start()
{
    m_running = true;
    if (!m_clipboard.notifiesChanges())
        timMain->start();
    if (!m_rexFilePath.isEmpty() && m_watcher->directories().isEmpty())
        m_markerTimer->start();
    armSaveIfChanged();
    // What happened while stopped is looked at now, as the next tick would.
    checkMarker();
    captureIfOn();
}

void CaptureScheduler::stop()
{
    m_running = false;
    timMain->stop();
    m_markerTimer->stop();
    m_saveTimer->stop();
}

void CaptureScheduler::setAutoGet(bool on)
{
    m_autoGet = on;
    if (on)
        captureIfOn();
}

void CaptureScheduler::restartSaveCount()
{
    m_saveTimer->stop();
    armSaveIfChanged();
}

bool CaptureScheduler::isPolling() const
{
    return timMain->isActive();
}

bool CaptureScheduler::isSaveArmed() const
{
    return m_saveTimer->isActive();
}

bool CaptureScheduler::isCheckingMarkerByTimer() const
{
    return m_markerTimer->isActive();
}

void CaptureScheduler::captureIfOn()
{
    if (m_running && m_autoGet)
        m_monitor.capture();
}

void CaptureScheduler::checkMarker()
{
    if (m_running)
        m_monitor.answerReExecuteRequest();
}

void CaptureScheduler::armSaveIfChanged()
{
    if (m_running && m_model.isModified() && !m_saveTimer->isActive())
        m_saveTimer->start();
}

void CaptureScheduler::saveNow()
{
    if (m_hooks.saveGroup)
        m_hooks.saveGroup();
    // A save that failed leaves the group changed: try again a period later.
    armSaveIfChanged();
}
