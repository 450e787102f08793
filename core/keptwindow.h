#pragma once
// Core's kept windows are made on first use, once.

namespace pryx {

// Makes the kept window of `field` unless it exists; true when it was made.
// Should building a window's page run events, a call made meanwhile could
// make the same window first: the later one is then dropped.
template <class W> bool ensureWindow(W *&field)
{
    if (field)
        return false;
    W *made = new W();
    if (field) {
        made->deleteLater();
        return false;
    }
    field = made;
    return true;
}

} // namespace pryx
