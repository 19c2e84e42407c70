#pragma once

#include <QString>
#include <QStringView>

#include <QList>

#include <array>
#include <functional>
#include <memory>
#include <utility>

// Every key of the settings file in one place. Code asks for a setting through
// these constants, never through a literal section or key name.
struct SettingKey
{
    QStringView section;
    QStringView key;
    QStringView startupDefault; // written at start when the value is blank; null when none
};

namespace Setting {
inline constexpr QStringView kSetup = u"Setup";
inline constexpr QStringView kWindowSize = u"WindowSize";
inline constexpr QStringView kFont = u"Font";

inline constexpr SettingKey TopPos{kSetup, u"TopPos", u"1"};
inline constexpr SettingKey AutoGet{kSetup, u"AutoGet", u"1"};
inline constexpr SettingKey MsgDelete{kSetup, u"Msg_Delete", u"1"};
inline constexpr SettingKey MsgClear{kSetup, u"Msg_Clear", u"1"};
inline constexpr SettingKey MsgDelTasktrayMenuList{kSetup, u"Msg_DelTasktrayMenuList", u"1"};
inline constexpr SettingKey InTaskTray{kSetup, u"In_TaskTray", u"1"};
inline constexpr SettingKey StartupState{kSetup, u"StartupState", u"0"};
inline constexpr SettingKey StartupGroup{kSetup, u"StartupGroup", u"0"};
inline constexpr SettingKey LastGroupNo{kSetup, u"LastGroupNo", {}};
// The desktop-wide key that brings the window up. Absent: the default key;
// present but blank: none. So it is never among the start-up defaults.
inline constexpr SettingKey HotKey{kSetup, u"HotKey", {}};

inline constexpr SettingKey Width{kWindowSize, u"Width", {}};
inline constexpr SettingKey Height{kWindowSize, u"Height", {}};
inline constexpr SettingKey Top{kWindowSize, u"Top", {}};
inline constexpr SettingKey Left{kWindowSize, u"Left", {}};
inline constexpr SettingKey WindowState{kWindowSize, u"WindowState", {}};
inline constexpr SettingKey WindowTopPos{kWindowSize, u"TopPos", {}};
inline constexpr SettingKey EditTextWidth{kWindowSize, u"EditText_Width", {}};
inline constexpr SettingKey EditTextHeight{kWindowSize, u"EditText_Height", {}};
inline constexpr SettingKey EditTextTop{kWindowSize, u"EditText_Top", {}};
inline constexpr SettingKey EditTextLeft{kWindowSize, u"EditText_Left", {}};

inline constexpr SettingKey FontName{kFont, u"FontName", {}};
inline constexpr SettingKey FontBold{kFont, u"FontBold", {}};
inline constexpr SettingKey FontItalic{kFont, u"FontItalic", {}};
inline constexpr SettingKey FontSize{kFont, u"FontSize", {}};

// The re-execute marker file a second copy leaves for the running one (same INI
// format): Really "Yes" asks it to show its window; Command holds the second
// copy's arguments, not acted on.
inline constexpr QStringView kReExecute = u"ReExecute";
inline constexpr SettingKey ReExecuteReally{kReExecute, u"Really", {}};
inline constexpr SettingKey ReExecuteCommand{kReExecute, u"Command", {}};

// The start-up defaults, in the order they are checked and written.
inline constexpr std::array<SettingKey, 8> kStartupDefaults = {
    TopPos,     AutoGet,      MsgDelete,   MsgClear, MsgDelTasktrayMenuList,
    InTaskTray, StartupState, StartupGroup};
} // namespace Setting

class IniDocument;
struct SettingsCache;

// The settings file at one path. Each read goes to the file, except inside a
// ReadScope: there the file is read once and every later read of the scope is
// answered from that (writes made through this object included), so an
// operation that asks for dozens of values reads even a huge file once. Writes
// of single values each replace the file; a Batch writes several at once.
class Settings
{
public:
    explicit Settings(QString iniPath);

    const QString &path() const { return m_path; }

    QString value(const SettingKey &key) const;
    // One value in a write of its own; several that change together go in a Batch.
    bool setValue(const SettingKey &key, QStringView value) const;

    // The value's leading number, 0 when there is none.
    double number(const SettingKey &key) const;
    // True when the file has the key, whatever its value.
    bool contains(const SettingKey &key) const;
    // True when the value is blank after trimming.
    bool isEmpty(const SettingKey &key) const;
    // Confirmations ask only when the value is exactly "1" (so "1.0" does not ask).
    bool isExactlyOne(const SettingKey &key) const;

    // Writes the start-up default of every key in kStartupDefaults whose value is
    // blank, all in one write.
    bool writeStartupDefaults() const;

    // While one exists, the file is read at most once (for this object and its
    // copies); scopes may nest.
    class ReadScope
    {
    public:
        explicit ReadScope(const Settings &settings);
        ~ReadScope();
        ReadScope(const ReadScope &) = delete;
        ReadScope &operator=(const ReadScope &) = delete;

    private:
        std::shared_ptr<SettingsCache> m_cache;
    };

    // Values gathered and written together in one atomic replace of the file:
    //     Settings::Batch batch(settings);
    //     batch.setFlag(Setting::AutoGet, true);
    //     batch.setValue(Setting::LastGroupNo, 3);
    //     if (!batch.commit()) ...
    // A batch that is never committed writes nothing.
    class Batch
    {
    public:
        explicit Batch(const Settings &settings)
            : m_settings(settings)
        {}

        Batch &setValue(const SettingKey &key, QStringView value);
        Batch &setValue(const SettingKey &key, qint64 number);
        Batch &setFlag(const SettingKey &key, bool on);
        bool isEmpty() const { return m_values.isEmpty(); }

        // One write for every value set; true when the file holds them. An empty
        // batch writes nothing and succeeds. *error says why it failed.
        bool commit(QString *error = nullptr);

    private:
        const Settings &m_settings;
        QList<std::pair<SettingKey, QString>> m_values;
    };

private:
    bool write(const std::function<void(IniDocument &)> &change, QString *error) const;

    QString m_path;
    // Shared by copies of this object, so a scope covers them all.
    std::shared_ptr<SettingsCache> m_cache;
};
