#pragma once

#include "platform/paths.h"
#include "settings/inifile.h"
#include "store/groupfile.h"
#include "store/groupregistry.h"

#include <QDir>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A user folder inside a temporary folder, with its data and temp folders.
inline AppPaths makeTestPaths(const QTemporaryDir &dir)
{
    const AppPaths paths = AppPaths::forUserFolder(dir.path());
    QDir().mkpath(paths.dataFolder);
    QDir().mkpath(paths.tempFolder);
    return paths;
}

// A registry holding exactly these groups in this order (the default group is
// not added by itself).
inline void writeRegistry(const AppPaths &paths, const QList<GroupInfo> &groups, qint32 maxGroupNo)
{
    IniFile::update(paths.registryFile(), [&](IniDocument &doc) {
        doc.setValue(u"Management", u"MaxGroupNo", QString::number(maxGroupNo));
        QList<std::pair<QString, QString>> positions;
        for (qsizetype i = 0; i < groups.size(); ++i) {
            positions.append({QStringLiteral("Group") + QString::number(i),
                              QString::number(groups.at(i).number)});
            doc.setValue(u"GroupNoName",
                         QString(QStringLiteral("Group") + QString::number(groups.at(i).number)),
                         groups.at(i).name);
        }
        doc.replaceSection(u"GroupNo", positions);
    });
}

inline QString registryValue(const AppPaths &paths, const QString &section, const QString &key)
{
    return IniFile::read(paths.registryFile(), section, key);
}

inline QList<TextEntry> entriesOf(const QStringList &texts)
{
    QList<TextEntry> entries;
    for (const QString &text : texts)
        entries.append(TextEntry{text, 0, QString(), 0});
    return entries;
}

inline bool writeGroup(const AppPaths &paths, qint32 number, const QList<TextEntry> &entries)
{
    return saveGroupFile(paths.groupFile(number), paths.tempGroupFile(), entries);
}

inline QList<TextEntry> readGroup(const AppPaths &paths, qint32 number)
{
    return loadGroupFile(paths.groupFile(number), [](const QString &) {}).entries;
}

inline QStringList textsOf(const QList<TextEntry> &entries)
{
    QStringList texts;
    for (const TextEntry &entry : entries)
        texts.append(entry.text);
    return texts;
}
