#include "settings/settingskeys.h"

#include "settings/inifile.h"
#include "settings/number.h"

#include <optional>

struct SettingsCache
{
    int scopes = 0;
    std::optional<IniSnapshot> snapshot; // only while a scope is open
};

Settings::Settings(QString iniPath)
    : m_path(std::move(iniPath))
    , m_cache(std::make_shared<SettingsCache>())
{}

Settings::ReadScope::ReadScope(const Settings &settings)
    : m_cache(settings.m_cache)
{
    ++m_cache->scopes;
}

Settings::ReadScope::~ReadScope()
{
    if (--m_cache->scopes == 0)
        m_cache->snapshot.reset();
}

QString Settings::value(const SettingKey &key) const
{
    if (m_cache->scopes == 0)
        return IniFile::read(m_path, key.section, key.key);
    // An unreadable file is tried again: it may be mended meanwhile.
    if (!m_cache->snapshot || !m_cache->snapshot->isReadable())
        m_cache->snapshot = IniSnapshot::read(m_path);
    return m_cache->snapshot->value(key.section, key.key);
}

bool Settings::write(const std::function<void(IniDocument &)> &change, QString *error) const
{
    IniDocument written;
    const bool ok = IniFile::update(m_path, change, error, &written);
    if (m_cache->scopes > 0) {
        if (ok)
            m_cache->snapshot = IniSnapshot::fromDocument(written);
        else
            m_cache->snapshot.reset();
    }
    return ok;
}

bool Settings::setValue(const SettingKey &key, QStringView value) const
{
    return write([&](IniDocument &doc) { doc.setValue(key.section, key.key, value); }, nullptr);
}

double Settings::number(const SettingKey &key) const
{
    return leadingNumber(value(key));
}

bool Settings::contains(const SettingKey &key) const
{
    return IniFile::contains(m_path, key.section, key.key);
}

bool Settings::isEmpty(const SettingKey &key) const
{
    return trimBlanks(value(key)).isEmpty();
}

bool Settings::isExactlyOne(const SettingKey &key) const
{
    return value(key) == QLatin1String("1");
}

bool Settings::writeStartupDefaults() const
{
    const ReadScope readOnce(*this);
    Batch batch(*this);
    for (const SettingKey &key : Setting::kStartupDefaults) {
        if (isEmpty(key))
            batch.setValue(key, key.startupDefault);
    }
    return batch.commit();
}

Settings::Batch &Settings::Batch::setValue(const SettingKey &key, QStringView value)
{
    m_values.append({key, value.toString()});
    return *this;
}

Settings::Batch &Settings::Batch::setValue(const SettingKey &key, qint64 number)
{
    return setValue(key, QString::number(number));
}

Settings::Batch &Settings::Batch::setFlag(const SettingKey &key, bool on)
{
    return setValue(key, on ? QStringView(u"1") : QStringView(u"0"));
}

bool Settings::Batch::commit(QString *error)
{
    if (m_values.isEmpty())
        return true;
    const bool written = m_settings.write(
        [this](IniDocument &doc) {
            for (const auto &[key, value] : m_values)
                doc.setValue(key.section, key.key, value);
        },
        error);
    if (written)
        m_values.clear();
    return written;
}
