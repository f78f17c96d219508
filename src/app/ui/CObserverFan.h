#pragma once
// One document observer that passes every hint on to several others: a tab
// of a bar holds one observer, and a tab with more than one view of the
// document (the Control tab with its colour mapping bar) hands in a fan.
#include <functional>
#include <vector>

#include "app/UpdateHints.h"

class CObserverFan final : public CDocObserver {
public:
    explicit CObserverFan(std::vector<CDocObserver*> targets) : m_targets(std::move(targets)) {}
    void onUpdate(CDocObserver* sender, int hint) override
    {
        for (CDocObserver* t : m_targets)
            if (t != sender)
                t->onUpdate(sender, hint);
    }

private:
    std::vector<CDocObserver*> m_targets;
};

// Calls a function on every hint (say, to update the enabled commands after
// something a view did through the document).
class CHintCallback final : public CDocObserver {
public:
    explicit CHintCallback(std::function<void(int)> fn) : m_fn(std::move(fn)) {}
    void onUpdate(CDocObserver*, int hint) override { m_fn(hint); }

private:
    std::function<void(int)> m_fn;
};
