#pragma once
// Whether a compositing manager runs on the X screen (the owner of the
// _NET_WM_CM_S<screen> selection), followed while the program runs: without
// one, transparent window pixels show black; with one they are blended.

#include <QAbstractNativeEventFilter>
#include <QObject>

namespace pryx::platform {

class CompositorWatch : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    // Created on first use; needs the application object. Off X11 (the
    // offscreen platform) no compositor is ever reported.
    static CompositorWatch *instance();

    bool isRunning() const { return running_; }

    bool nativeEventFilter(const QByteArray &eventType, void *message, long *result) override;

signals:
    void runningChanged(bool running);

private:
    CompositorWatch();
    bool queryOwner() const;
    void recheck();

    bool running_ = false;
    bool x11_ = false;
    quint32 selection_ = 0;
    int xfixesEvent_ = -1;   // first event code of XFixes; -1 without it
};

} // namespace pryx::platform
