#pragma once

#include "platform/globalshortcut.h"

#include <QList>

// A desktop where some keys are held by other programs, or where no program may
// hold any. press() is the user pressing the key that is held.
class FakeGlobalShortcut : public GlobalShortcut
{
public:
    bool setKey(const QKeySequence &key) override
    {
        requests.append(key);
        if (!supported && !key.isEmpty())
            return fail(Failure::Unsupported, QStringLiteral("No global shortcuts here."));
        if (taken.contains(key))
            return fail(Failure::Taken,
                        displayName(key) + QStringLiteral(" is already used by another program."));
        return succeed(key);
    }
    // True when a key was held to press.
    bool press()
    {
        if (!key().isEmpty())
            emit activated();
        return !key().isEmpty();
    }

    bool supported = true;
    QList<QKeySequence> taken;
    QList<QKeySequence> requests; // every setKey(), in order
};
