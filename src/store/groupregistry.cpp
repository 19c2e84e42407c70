#include "store/groupregistry.h"

#include "settings/inifile.h"
#include "settings/number.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <limits>
#include <utility>

namespace {

constexpr QStringView kManagement = u"Management";
constexpr QStringView kMaxGroupNo = u"MaxGroupNo";
constexpr QStringView kGroupNo = u"GroupNo";
constexpr QStringView kGroupNoName = u"GroupNoName";
constexpr QStringView kGroupPrefix = u"Group";

using ValueReader = std::function<QString(QStringView section, QStringView key)>;
using KeyValues = QList<std::pair<QString, QString>>;

QString groupKey(qint64 n)
{
    return kGroupPrefix + QString::number(n);
}

QString groupFilePath(const QString &folder, qint64 number)
{
    return folder + QStringLiteral("/group") + QString::number(number) + QStringLiteral(".dat");
}

// Positions from 0 up to the first blank one. The name key is built from the
// position's value as it stands, the number is its leading number rounded.
QList<GroupInfo> readGroups(const ValueReader &read)
{
    QList<GroupInfo> groups;
    for (qint64 position = 0;; ++position) {
        const QString value = read(kGroupNo, groupKey(position));
        if (isBlank(value))
            break;
        groups.append(
            GroupInfo{wholeNumberOf(value), read(kGroupNoName, QString(kGroupPrefix + value))});
    }
    return groups;
}

// The order section's keys: the default group first, then each other group once.
KeyValues orderEntries(const QList<qint32> &order, qint32 leaveOut = GroupRegistry::kDefaultGroup)
{
    QList<qint32> numbers{GroupRegistry::kDefaultGroup};
    for (const qint32 n : order) {
        if (n > GroupRegistry::kDefaultGroup && n != leaveOut && !numbers.contains(n))
            numbers.append(n);
    }
    KeyValues entries;
    for (qsizetype position = 0; position < numbers.size(); ++position)
        entries.append({groupKey(position), QString::number(numbers.at(position))});
    return entries;
}

// Numbers N > 0 of the files group<N>.dat in folder, ascending; only names the
// program itself would build for a group (no sign, no leading zero).
QList<qint32> groupFileNumbers(const QString &folder)
{
    QList<qint32> numbers;
    const QStringList names =
        QDir(folder).entryList({QStringLiteral("group*.dat")}, QDir::Files | QDir::CaseSensitive);
    for (const QString &name : names) {
        const QStringView digits = QStringView(name).mid(5, name.size() - 9);
        bool ok = false;
        const qint32 n = digits.toInt(&ok);
        if (ok && n > 0 && QString::number(n) == digits)
            numbers.append(n);
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

bool isTaken(const IniDocument &doc, const QString &dataFolder, qint64 n)
{
    if (doc.contains(kGroupNoName, groupKey(n)) || QFileInfo::exists(groupFilePath(dataFolder, n)))
        return true;
    const KeyValues positions = doc.entries(kGroupNo);
    return std::any_of(positions.begin(), positions.end(), [n](const auto &kv) {
        return !isBlank(kv.second) && wholeNumberOf(kv.second) == n;
    });
}

} // namespace

GroupRegistry::GroupRegistry(QString registryPath, QString dataFolder)
    : m_path(std::move(registryPath))
    , m_dataFolder(std::move(dataFolder))
{}

bool GroupRegistry::ensureExists() const
{
    if (!isBlank(IniFile::read(m_path, kManagement, kMaxGroupNo)) &&
        !isBlank(IniFile::read(m_path, kGroupNo, groupKey(0))))
        return true;
    const QList<qint32> leftovers = groupFileNumbers(m_dataFolder);
    return IniFile::update(m_path, [&](IniDocument &doc) {
        // Every group still named in the order section, past gaps too, then the rest.
        QList<qint32> order{kDefaultGroup};
        for (const auto &position : doc.entries(kGroupNo)) {
            const qint32 n = isBlank(position.second) ? 0 : wholeNumberOf(position.second);
            if (n > kDefaultGroup && !order.contains(n))
                order.append(n);
        }
        for (const qint32 n : leftovers) {
            if (!order.contains(n))
                order.append(n);
        }
        qint32 max = std::max(wholeNumberOf(doc.value(kManagement, kMaxGroupNo)), kDefaultGroup);
        for (const qint32 n : order)
            max = std::max(max, n);
        doc.setValue(kManagement, kMaxGroupNo, QString::number(max));
        doc.replaceSection(kGroupNo, orderEntries(order));
        doc.setValue(kGroupNoName, groupKey(kDefaultGroup), u"");
        for (const qint32 n : order) {
            if (n != kDefaultGroup && isBlank(doc.value(kGroupNoName, groupKey(n))))
                doc.setValue(kGroupNoName, groupKey(n), QString::number(n));
        }
    });
}

QList<GroupInfo> GroupRegistry::groups() const
{
    return readGroups([this](QStringView s, QStringView k) { return IniFile::read(m_path, s, k); });
}

qint32 GroupRegistry::maxGroupNo() const
{
    return wholeNumberOf(IniFile::read(m_path, kManagement, kMaxGroupNo));
}

qint32 GroupRegistry::addGroup(const QString &name, const QList<qint32> &order) const
{
    qint32 number = -1;
    const bool written = IniFile::update(m_path, [&](IniDocument &doc) {
        qint64 candidate =
            std::max<qint64>(wholeNumberOf(doc.value(kManagement, kMaxGroupNo)), kDefaultGroup) + 1;
        while (candidate <= std::numeric_limits<qint32>::max() &&
               isTaken(doc, m_dataFolder, candidate))
            ++candidate;
        if (candidate > std::numeric_limits<qint32>::max())
            return; // every number is spent: nothing changes
        number = static_cast<qint32>(candidate);
        doc.setValue(kManagement, kMaxGroupNo, QString::number(number));
        doc.setValue(kGroupNoName, groupKey(number), trimBlanks(name));
        QList<qint32> newOrder = order;
        newOrder.append(number);
        doc.replaceSection(kGroupNo, orderEntries(newOrder));
    });
    return written ? number : -1;
}

bool GroupRegistry::renameGroup(qint32 number, const QString &name) const
{
    if (number <= kDefaultGroup)
        return false;
    return IniFile::update(m_path, [&](IniDocument &doc) {
        doc.setValue(kGroupNoName, groupKey(number), trimBlanks(name));
    });
}

bool GroupRegistry::removeGroup(qint32 number, const QList<qint32> &remainingOrder) const
{
    if (number <= kDefaultGroup)
        return false;
    return IniFile::update(m_path, [&](IniDocument &doc) {
        doc.removeKey(kGroupNoName, groupKey(number));
        doc.replaceSection(kGroupNo, orderEntries(remainingOrder, number));
    });
}

bool GroupRegistry::writeOrder(const QList<qint32> &order) const
{
    return IniFile::update(
        m_path, [&](IniDocument &doc) { doc.replaceSection(kGroupNo, orderEntries(order)); });
}

int startupGroupRow(const QList<GroupInfo> &groups, double startupGroup, double lastGroupNo)
{
    if (startupGroup != 0.0 || lastGroupNo < 0.0)
        return 0;
    for (qsizetype row = 0; row < groups.size(); ++row) {
        if (static_cast<double>(groups.at(row).number) == lastGroupNo)
            return static_cast<int>(row);
    }
    return 0;
}
