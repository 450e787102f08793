#include "editorfixture.h"

#include <QCoreApplication>
#include <QScreen>
#include <QTest>

#include "editor/abstractgraphitem.h"
#include "editor/ppainterarea.h"

namespace pryx::test {

QColor FakeEnvironment::colorFromX(int x) const
{
    // A strip of distinct opaque colours.
    return QColor::fromHsv(((x + 2) * 11) % 360, 255, 220);
}

Scene::Scene(QSize size, QColor background)
{
    env.values.insert(QStringLiteral("colorColorLine"), 7);
    env.values.insert(QStringLiteral("widthColorLine"), 2);
    env.values.insert(QStringLiteral("widthTextLine"), 8);
    env.values.insert(QStringLiteral("widthBlureLine"), 15);
    env.values.insert(QStringLiteral("widthBlackoutLine"), 4);
    pryx::editor::Environment::setCurrent(&env);

    window.setGeometry(0, 0, size.width(), size.height());
    window.setColor(background);
    area = new PPainterArea(window.contentItem());
    // Width first, then height, as a page lays the area out.
    area->setWidth(size.width());
    area->setHeight(size.height());
    QImage bg(size, QImage::Format_RGB32);
    bg.fill(background);
    area->setBackground(bg);
    area->setCurrentColor(env.colorFromX(area->currentColorX()));
    window.show();
    exposed = QTest::qWaitForWindowExposed(&window);
    window.requestActivate();
    active = QTest::qWaitForWindowActive(&window);
    area->forceActiveFocus();
}

Scene::~Scene()
{
    delete area;
    pryx::editor::Environment::setCurrent(nullptr);
}

void Scene::press(QPoint p, Qt::KeyboardModifiers mods, Qt::MouseButton b)
{
    QTest::mousePress(&window, b, mods, p);
}

void Scene::move(QPoint p, Qt::KeyboardModifiers mods)
{
    QTest::mouseEvent(QTest::MouseMove, &window, Qt::NoButton, mods, p);
}

void Scene::release(QPoint p, Qt::KeyboardModifiers mods, Qt::MouseButton b)
{
    QTest::mouseRelease(&window, b, mods, p);
}

void Scene::drag(QPoint from, QPoint to, Qt::KeyboardModifiers mods, int steps)
{
    press(from, mods);
    for (int i = 1; i <= steps; ++i)
        move(from + (to - from) * i / steps, mods);
    release(to, mods);
}

void Scene::key(int k, Qt::KeyboardModifiers mods) { QTest::keyClick(&window, Qt::Key(k), mods); }

void Scene::keyPress(int k, Qt::KeyboardModifiers mods) { QTest::keyPress(&window, Qt::Key(k), mods); }

void Scene::keyRelease(int k, Qt::KeyboardModifiers mods) { QTest::keyRelease(&window, Qt::Key(k), mods); }

QList<AbstractGraphItem *> Scene::items() const
{
    QList<AbstractGraphItem *> out;
    for (QQuickItem *child : area->childItems())
        if (auto *item = qobject_cast<AbstractGraphItem *>(child))
            out.append(item);
    return out;
}

QImage Scene::grab()
{
    // What the window shows: a fresh frame, then the screen's copy of it
    // (the software renderer's own grab needs a backing store image, which
    // the offscreen platform does not give).
    window.update();
    QTest::qWait(50);
    QImage image = window.grabWindow();
    if (image.isNull())
        image = window.screen()->grabWindow(window.winId()).toImage();
    return image;
}

int maxChannelDiff(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return -1;
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    int worst = 0;
    for (int row = 0; row < x.height(); ++row) {
        const QRgb *p = reinterpret_cast<const QRgb *>(x.constScanLine(row));
        const QRgb *q = reinterpret_cast<const QRgb *>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col) {
            worst = qMax(worst, qAbs(qRed(p[col]) - qRed(q[col])));
            worst = qMax(worst, qAbs(qGreen(p[col]) - qGreen(q[col])));
            worst = qMax(worst, qAbs(qBlue(p[col]) - qBlue(q[col])));
        }
    }
    return worst;
}

} // namespace pryx::test
