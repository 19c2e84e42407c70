#pragma once

#include <QString>

// What the group commands need from the main window, which owns the group in
// memory, its number and the capture timer.
class GroupHost
{
public:
    virtual ~GroupHost() = default;

    // The group whose texts are in memory; the one saveCurrentGroup() writes.
    virtual qint32 currentGroupNo() const = 0;
    virtual void setCurrentGroupNo(qint32 groupNo) = 0;

    // Writes the texts in memory to the file of currentGroupNo() and restarts the
    // count towards the periodic save. False when the file could not be written;
    // the commands report that themselves.
    virtual bool saveCurrentGroup() = 0;
    // After a failed saveCurrentGroup(): the file and the reason.
    virtual QString saveError() const { return {}; }
    // Restarts the count towards the periodic save without saving.
    virtual void resetSaveElapsed() = 0;
    // Replaces the texts in memory and in the list with the file of
    // currentGroupNo() (emptying the clipboard, as every load does).
    virtual void loadCurrentGroup() = 0;

    virtual void stopTimer() = 0;
    virtual void startTimer() = 0;

    // Re-evaluates the buttons under the list.
    virtual void refreshButtons() = 0;
};
