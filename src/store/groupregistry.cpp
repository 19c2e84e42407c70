#include "store/groupregistry.h"

#include "settings/inifile.h"
#include "settings/number.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <limits>
#include <utility>

namespace {

constexpr QStringView kManagement = u"Management";
constexpr QStringView kMaxGroupNo = u"MaxGroupNo";
constexpr QStringView kGroupNo = u"GroupNo";
constexpr QStringView kGroupNoName = u"GroupNoName";
constexpr QStringView kGroupPrefix = u"Group";

using KeyValues = QList<std::pair<QString, QString>>;

QString groupKey(qint64 n)
{
    return kGroupPrefix + QString::number(n);
}

// Positions from 0 up to the first blank one. The name key is built from the
// position's value as it stands, the number is its leading number rounded. The
// default group is always listed first, even when position 0 names another.
QList<GroupInfo> readGroups(const IniSnapshot &registry)
{
    QList<GroupInfo> groups;
    bool hasDefault = false;
    for (qint64 position = 0;; ++position) {
        const QString value = registry.value(kGroupNo, groupKey(position));
        if (isBlank(value))
            break;
        const qint32 number = wholeNumberOf(value);
        if (number == GroupRegistry::kDefaultGroup) {
            if (hasDefault)
                continue;
            hasDefault = true;
        }
        groups.append(
            GroupInfo{number, registry.value(kGroupNoName, QString(kGroupPrefix + value))});
    }
    if (!hasDefault && !groups.isEmpty())
        groups.prepend(GroupInfo{GroupRegistry::kDefaultGroup, {}});
    return groups;
}

// The order section's keys: the default group first, then each other group once.
KeyValues orderEntries(const QList<qint32> &order, qint32 leaveOut = GroupRegistry::kDefaultGroup)
{
    QList<qint32> numbers{GroupRegistry::kDefaultGroup};
    QSet<qint32> listed{GroupRegistry::kDefaultGroup};
    for (const qint32 n : order) {
        if (n > GroupRegistry::kDefaultGroup && n != leaveOut && !listed.contains(n)) {
            numbers.append(n);
            listed.insert(n);
        }
    }
    KeyValues entries;
    entries.reserve(numbers.size());
    for (qsizetype position = 0; position < numbers.size(); ++position)
        entries.append({groupKey(position), QString::number(numbers.at(position))});
    return entries;
}

// Numbers N > 0 of the files group<N>.dat in folder, ascending; only names the
// program itself would build for a group (no sign, no leading zero).
QList<qint32> groupFileNumbers(const QString &folder, QDir::Filters kinds = QDir::Files)
{
    QList<qint32> numbers;
    const QStringList names =
        QDir(folder).entryList({QStringLiteral("group*.dat")}, kinds | QDir::CaseSensitive);
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

// Every number that still has a name, a position or a data file; such a number
// is never given to a new group.
QSet<qint64> takenNumbers(const IniDocument &doc, const QString &dataFolder)
{
    QSet<qint64> taken;
    for (const auto &[key, value] : doc.entries(kGroupNoName)) {
        if (key.startsWith(kGroupPrefix, Qt::CaseInsensitive)) {
            bool ok = false;
            const qint64 n = QStringView(key).sliced(kGroupPrefix.size()).toLongLong(&ok);
            if (ok)
                taken.insert(n);
        }
    }
    for (const auto &position : doc.entries(kGroupNo)) {
        if (!isBlank(position.second))
            taken.insert(wholeNumberOf(position.second));
    }
    // Anything in the way of the data file counts, a folder or a link too.
    for (const qint32 n : groupFileNumbers(dataFolder, QDir::AllEntries | QDir::System |
                                                           QDir::Hidden | QDir::NoDotAndDotDot))
        taken.insert(n);
    return taken;
}

// "MaxGroupNo" + 1 and up, passing over taken numbers. When the numbers above
// are spent (a hand-edited "MaxGroupNo" at the top of the range), the lowest
// free number instead; 0 only when every number is taken.
qint32 freeGroupNumber(qint64 maxGroupNo, const QSet<qint64> &taken)
{
    constexpr qint64 kTop = std::numeric_limits<qint32>::max();
    const qint64 max = std::clamp<qint64>(maxGroupNo, 0, kTop);
    for (qint64 candidate = max + 1; candidate <= kTop; ++candidate) {
        if (!taken.contains(candidate))
            return static_cast<qint32>(candidate);
    }
    for (qint64 candidate = 1; candidate <= max; ++candidate) {
        if (!taken.contains(candidate))
            return static_cast<qint32>(candidate);
    }
    return 0;
}

} // namespace

GroupRegistry::GroupRegistry(QString registryPath, QString dataFolder)
    : m_path(std::move(registryPath))
    , m_dataFolder(std::move(dataFolder))
{}

bool GroupRegistry::ensureExists(QString *error) const
{
    const IniSnapshot registry = IniSnapshot::read(m_path);
    if (!registry.isReadable()) {
        // Never rebuilt over a file that may hold every group's name.
        if (error)
            *error = QStringLiteral("cannot be read: ") + registry.error();
        return false;
    }
    const QString first = registry.value(kGroupNo, groupKey(0));
    if (!isBlank(registry.value(kManagement, kMaxGroupNo)) && !isBlank(first) &&
        wholeNumberOf(first) == kDefaultGroup)
        return true;
    const QList<qint32> leftovers = groupFileNumbers(m_dataFolder);
    QString reason;
    const bool written = IniFile::update(
        m_path,
        [&](IniDocument &doc) {
            // Every group still named in the order section, past gaps too, then the rest.
            QList<qint32> order{kDefaultGroup};
            QSet<qint32> listed{kDefaultGroup};
            const auto add = [&](qint32 n) {
                if (n > kDefaultGroup && !listed.contains(n)) {
                    order.append(n);
                    listed.insert(n);
                }
            };
            for (const auto &position : doc.entries(kGroupNo))
                add(isBlank(position.second) ? 0 : wholeNumberOf(position.second));
            for (const qint32 n : leftovers)
                add(n);
            qint32 max =
                std::max(wholeNumberOf(doc.value(kManagement, kMaxGroupNo)), kDefaultGroup);
            for (const qint32 n : order)
                max = std::max(max, n);
            doc.setValue(kManagement, kMaxGroupNo, QString::number(max));
            doc.replaceSection(kGroupNo, orderEntries(order));
            // The names kept as they are; a group without one is named after its
            // number. Added in one go: a registry may list thousands of groups.
            KeyValues names = doc.entries(kGroupNoName);
            if (!doc.contains(kGroupNoName, groupKey(kDefaultGroup)))
                names.prepend({groupKey(kDefaultGroup), QString()});
            for (const qint32 n : order) {
                if (n != kDefaultGroup && !doc.contains(kGroupNoName, groupKey(n)))
                    names.append({groupKey(n), QString::number(n)});
            }
            doc.replaceSection(kGroupNoName, names);
            // A name that is there but blank is given the number, as a missing one.
            for (const qint32 n : order) {
                if (n != kDefaultGroup && isBlank(doc.value(kGroupNoName, groupKey(n))))
                    doc.setValue(kGroupNoName, groupKey(n), QString::number(n));
            }
            doc.setValue(kGroupNoName, groupKey(kDefaultGroup), u"");
        },
        &reason);
    if (!written && error)
        *error = QStringLiteral("cannot be written: ") + reason;
    return written;
}

QList<GroupInfo> GroupRegistry::groups() const
{
    const IniSnapshot registry = IniSnapshot::read(m_path);
    // Without a readable registry the default group is still there to be used.
    if (!registry.isReadable())
        return {GroupInfo{kDefaultGroup, {}}};
    return readGroups(registry);
}

qint32 GroupRegistry::maxGroupNo() const
{
    return wholeNumberOf(IniFile::read(m_path, kManagement, kMaxGroupNo));
}

qint32 GroupRegistry::addGroup(const QString &name, const QList<qint32> &order) const
{
    qint32 number = -1;
    const bool written = IniFile::update(m_path, [&](IniDocument &doc) {
        const QString maxValue = doc.value(kManagement, kMaxGroupNo);
        const qint64 max = isBlank(maxValue) ? 0 : roundHalfEven(leadingNumber(maxValue));
        const qint32 free = freeGroupNumber(max, takenNumbers(doc, m_dataFolder));
        if (free <= kDefaultGroup)
            return; // every number is taken: nothing changes
        number = free;
        // "MaxGroupNo" only grows: a number found below it leaves it as it is.
        if (number > max)
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
