#pragma once
// A system-wide hotkey: on X11 a key grab on the root window, taken through
// Qt's own X connection. Elsewhere (offscreen, Wayland) it never fires.

#include <QKeySequence>
#include <QObject>
#include <QVector>

#include <cstdint>

struct xcb_connection_t;

class QWindow;

namespace pryx::platform {

// Keys typed right after a hotkey, before the window it opens can take them,
// are not lost: the hotkey's press freezes the keyboard until this program
// has read it, then the keyboard is held (actively grabbed) and the keys are
// kept. holdKeyboardFor() hands what was kept, and every key from then on,
// to `window` until releaseKeyboard(window). A hold that no window claims by
// the time the hotkey's handlers have returned is dropped.
void holdKeyboardFor(QWindow *window);
void releaseKeyboard(QWindow *window);

} // namespace pryx::platform

class GlobalShortcut : public QObject
{
    Q_OBJECT
public:
    explicit GlobalShortcut(QObject *parent = nullptr);
    explicit GlobalShortcut(const QKeySequence &shortcut, QObject *parent = nullptr);
    ~GlobalShortcut() override;

    QKeySequence shortcut() const { return shortcut_; }
    // Grabs the first key combination of the sequence. Returns whether the
    // grab holds; a combination that is taken, empty or unknown is refused
    // silently and the shortcut then never fires.
    bool setShortcut(const QKeySequence &shortcut);

    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);
    void setDisabled(bool disabled) { setEnabled(!disabled); }

    // Whether the combination is grabbed by this shortcut right now.
    bool isRegistered() const { return !grabs_.isEmpty(); }

signals:
    void activated();

private:
    friend class GlobalShortcutFilter;
    struct Grab {
        uint8_t keycode;
        uint16_t mods;
    };
    bool grab();
    void ungrab();
    static void releaseGrabs(xcb_connection_t *c, uint32_t root, const QVector<Grab> &grabs);

    QKeySequence shortcut_;
    bool enabled_ = true;
    QVector<Grab> grabs_;
};
