#pragma once
// A window with one annotation area on it, an in-memory environment for the
// editor, and mouse and key helpers whose events carry their modifiers.

#include <QColor>
#include <QHash>
#include <QImage>
#include <QList>
#include <QQuickWindow>
#include <QStringList>
#include <QVariant>

#include "editor/environment.h"

class AbstractGraphItem;
class PPainterArea;

namespace pryx::test {

class FakeEnvironment : public pryx::editor::Environment
{
public:
    QColor colorFromX(int x) const override;
    QVariant value(const QString &key) const override { return values.value(key); }
    void setValue(const QString &key, const QVariant &value) override { values.insert(key, value); }
    void sendEvent(const QString &category, const QString &action, const QString &label) override
    {
        events.append(QStringList{category, action, label});
    }

    QHash<QString, QVariant> values;
    QList<QStringList> events;
};

class Scene
{
public:
    // Installs the environment, shows a window at (0, 0) with the area
    // filling it and a plain background of `size`.
    explicit Scene(QSize size = QSize(400, 300), QColor background = Qt::white);
    ~Scene();
    Scene(const Scene &) = delete;
    Scene &operator=(const Scene &) = delete;

    void press(QPoint p, Qt::KeyboardModifiers mods = Qt::NoModifier, Qt::MouseButton b = Qt::LeftButton);
    void move(QPoint p, Qt::KeyboardModifiers mods = Qt::NoModifier);
    void release(QPoint p, Qt::KeyboardModifiers mods = Qt::NoModifier, Qt::MouseButton b = Qt::LeftButton);
    // Press at `from`, moves in `steps` steps, release at `to`.
    void drag(QPoint from, QPoint to, Qt::KeyboardModifiers mods = Qt::NoModifier, int steps = 4);
    void key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier);
    void keyPress(int key, Qt::KeyboardModifiers mods = Qt::NoModifier);
    void keyRelease(int key, Qt::KeyboardModifiers mods = Qt::NoModifier);

    // Graph items of the area in child order (visible or not).
    QList<AbstractGraphItem *> items() const;
    QImage grab();

    FakeEnvironment env;
    QQuickWindow window;
    bool exposed = false;
    bool active = false;
    PPainterArea *area = nullptr;
};

// Largest difference of one colour channel between two images of one size
// (-1 when the sizes differ).
int maxChannelDiff(const QImage &a, const QImage &b);

} // namespace pryx::test
