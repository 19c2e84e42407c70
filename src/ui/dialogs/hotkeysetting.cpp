#include "ui/dialogs/hotkeysetting.h"

#include <QKeyCombination>

std::optional<QKeySequence> HotKeySetting::parse(QStringView value)
{
    const QString text = value.trimmed().toString();
    if (text.isEmpty())
        return QKeySequence();
    const QKeySequence key = QKeySequence::fromString(text, QKeySequence::PortableText);
    if (key.isEmpty())
        return std::nullopt;
    for (int i = 0; i < key.count(); ++i) {
        if (key[i].key() == Qt::Key_unknown)
            return std::nullopt;
    }
    return key;
}

HotKeySetting HotKeySetting::read(const Settings &settings)
{
    HotKeySetting setting;
    setting.stored =
        settings.contains(Setting::HotKey) ? settings.value(Setting::HotKey) : kDefault.toString();
    const std::optional<QKeySequence> key = parse(setting.stored);
    setting.readable = key.has_value();
    setting.key = key.value_or(QKeySequence());
    return setting;
}

void HotKeySetting::write(Settings::Batch &batch, const QKeySequence &key)
{
    batch.setValue(Setting::HotKey, key.toString(QKeySequence::PortableText));
}
