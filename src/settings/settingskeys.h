#pragma once

#include <QString>
#include <QStringView>

#include <array>

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

// The settings file at one path, read and written one value at a time (no cache).
class Settings
{
public:
    explicit Settings(QString iniPath)
        : m_path(std::move(iniPath))
    {}

    const QString &path() const { return m_path; }

    QString value(const SettingKey &key) const;
    bool setValue(const SettingKey &key, QStringView value) const;
    bool setValue(const SettingKey &key, qint64 number) const; // plain decimal
    bool setFlag(const SettingKey &key, bool on) const;        // "1" or "0"

    // The value's leading number, 0 when there is none.
    double number(const SettingKey &key) const;
    // True when the value is blank after trimming.
    bool isEmpty(const SettingKey &key) const;
    // Confirmations ask only when the value is exactly "1" (so "1.0" does not ask).
    bool isExactlyOne(const SettingKey &key) const;

    // Writes the start-up default of every key in kStartupDefaults whose value is blank.
    void writeStartupDefaults() const;

private:
    QString m_path;
};
