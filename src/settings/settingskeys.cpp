#include "settings/settingskeys.h"

#include "settings/inifile.h"
#include "settings/number.h"

QString Settings::value(const SettingKey &key) const
{
    return IniFile::read(m_path, key.section, key.key);
}

bool Settings::setValue(const SettingKey &key, QStringView value) const
{
    return IniFile::write(m_path, key.section, key.key, value);
}

bool Settings::setValue(const SettingKey &key, qint64 number) const
{
    return setValue(key, QString::number(number));
}

bool Settings::setFlag(const SettingKey &key, bool on) const
{
    return setValue(key, on ? QStringView(u"1") : QStringView(u"0"));
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

void Settings::writeStartupDefaults() const
{
    for (const SettingKey &key : Setting::kStartupDefaults) {
        if (isEmpty(key))
            setValue(key, key.startupDefault);
    }
}
