#include "ui/main/traymenu.h"

#include "capture/clipboardhistory.h"
#include "platform/clipboard.h"
#include "settings/settingskeys.h"
#include "ui/dialogs/prompter.h"

#include <algorithm>
#include <iterator>

namespace {

struct CodeRange
{
    char32_t first;
    char32_t last;
};

// The characters of East Asian Width W (wide) and F (fullwidth), Unicode 14,
// with unassigned code points inside a run joined to it and the CJK ideograph
// planes 2 and 3 taken whole, as their unassigned code points default to wide.
constexpr CodeRange kWideRanges[] = {
    {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2329, 0x232A},   {0x23E9, 0x23EC},
    {0x23F0, 0x23F0},   {0x23F3, 0x23F3},   {0x25FD, 0x25FE},   {0x2614, 0x2615},
    {0x2648, 0x2653},   {0x267F, 0x267F},   {0x2693, 0x2693},   {0x26A1, 0x26A1},
    {0x26AA, 0x26AB},   {0x26BD, 0x26BE},   {0x26C4, 0x26C5},   {0x26CE, 0x26CE},
    {0x26D4, 0x26D4},   {0x26EA, 0x26EA},   {0x26F2, 0x26F3},   {0x26F5, 0x26F5},
    {0x26FA, 0x26FA},   {0x26FD, 0x26FD},   {0x2705, 0x2705},   {0x270A, 0x270B},
    {0x2728, 0x2728},   {0x274C, 0x274C},   {0x274E, 0x274E},   {0x2753, 0x2755},
    {0x2757, 0x2757},   {0x2795, 0x2797},   {0x27B0, 0x27B0},   {0x27BF, 0x27BF},
    {0x2B1B, 0x2B1C},   {0x2B50, 0x2B50},   {0x2B55, 0x2B55},   {0x2E80, 0x303E},
    {0x3041, 0x3247},   {0x3250, 0x4DBF},   {0x4E00, 0xA4C6},   {0xA960, 0xA97C},
    {0xAC00, 0xD7A3},   {0xF900, 0xFAD9},   {0xFE10, 0xFE19},   {0xFE30, 0xFE6B},
    {0xFF01, 0xFF60},   {0xFFE0, 0xFFE6},   {0x16FE0, 0x1B2FB}, {0x1F004, 0x1F004},
    {0x1F0CF, 0x1F0CF}, {0x1F18E, 0x1F18E}, {0x1F191, 0x1F19A}, {0x1F200, 0x1F320},
    {0x1F32D, 0x1F335}, {0x1F337, 0x1F37C}, {0x1F37E, 0x1F393}, {0x1F3A0, 0x1F3CA},
    {0x1F3CF, 0x1F3D3}, {0x1F3E0, 0x1F3F0}, {0x1F3F4, 0x1F3F4}, {0x1F3F8, 0x1F43E},
    {0x1F440, 0x1F440}, {0x1F442, 0x1F4FC}, {0x1F4FF, 0x1F53D}, {0x1F54B, 0x1F54E},
    {0x1F550, 0x1F567}, {0x1F57A, 0x1F57A}, {0x1F595, 0x1F596}, {0x1F5A4, 0x1F5A4},
    {0x1F5FB, 0x1F64F}, {0x1F680, 0x1F6C5}, {0x1F6CC, 0x1F6CC}, {0x1F6D0, 0x1F6D2},
    {0x1F6D5, 0x1F6DF}, {0x1F6EB, 0x1F6EC}, {0x1F6F4, 0x1F6FC}, {0x1F7E0, 0x1F7F0},
    {0x1F90C, 0x1F93A}, {0x1F93C, 0x1F945}, {0x1F947, 0x1F9FF}, {0x1FA70, 0x1FAF6},
    {0x20000, 0x3FFFD},
};

bool isWide(char32_t c)
{
    const auto *it =
        std::upper_bound(std::begin(kWideRanges), std::end(kWideRanges), c,
                         [](char32_t value, const CodeRange &r) { return value < r.first; });
    return it != std::begin(kWideRanges) && c <= std::prev(it)->last;
}

// The character at i (a whole surrogate pair) and how many UTF-16 units it takes.
char32_t characterAt(QStringView text, qsizetype i, qsizetype *units)
{
    const QChar c = text[i];
    if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
        *units = 2;
        return QChar::surrogateToUcs4(c, text[i + 1]);
    }
    *units = 1;
    return c.unicode();
}

int widthOf(char32_t c)
{
    return isWide(c) ? 2 : 1;
}

QString withCrMarkers(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('\r') && i + 1 < text.size() &&
            text[i + 1] == QLatin1Char('\n')) {
            out += QLatin1String("[cr]");
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

namespace TrayMenu {

QString widthPrefix(QStringView text, int width)
{
    int filled = 0;
    qsizetype i = 0;
    qsizetype units = 0;
    while (i < text.size() && filled < width) {
        filled += widthOf(characterAt(text, i, &units));
        i += units;
    }
    return text.left(i).toString();
}

QString shownText(const QString &text)
{
    // Only the head can be shown: kShownWidth characters of at most two units
    // each, and "[cr]" only lengthens the text. The margin keeps a CR LF at the
    // end of the head from being cut apart inside the shown part.
    constexpr qsizetype kHeadUnits = 2 * kShownWidth + 8;
    const QStringView head = QStringView(text).left(kHeadUnits);
    const QString marked = withCrMarkers(head);
    QString shown = widthPrefix(marked, kShownWidth);
    if (shown.size() < marked.size() || head.size() < text.size())
        shown += QLatin1String("...");
    return shown;
}

QString itemCaption(int k, const QString &text)
{
    QString shown = shownText(text);
    shown.replace(QLatin1Char('&'), QLatin1String("&&"));
    return QLatin1Char('&') + QString::number(k + 1) + QLatin1String("> ") + shown;
}

QList<TextItem> textItems(ClipboardHistory &history)
{
    history.makeRecentList();
    QList<TextItem> items;
    for (int k = 0; history.recentLast() - k >= 0; ++k) {
        const QString &text = history.recentText(history.recentLast() - k);
        items.append(TextItem{itemCaption(k, text), text});
    }
    return items;
}

bool chooseItem(ClipboardAccess &clipboard, const QList<TextItem> &items, int index)
{
    if (index < 0 || index >= items.size())
        return false;
    clipboard.clear();
    clipboard.setText(items.at(index).text);
    return true;
}

bool clearList(const Settings &settings, Prompter &prompter, ClipboardHistory &history)
{
    if (settings.isExactlyOne(Setting::MsgDelTasktrayMenuList) &&
        prompter.message(QStringLiteral("clear the list below."), QStringLiteral("Confirm"),
                         Prompter::Buttons::OkCancel) == Prompter::Answer::Cancel)
        return false;
    history.clear();
    return true;
}

} // namespace TrayMenu
