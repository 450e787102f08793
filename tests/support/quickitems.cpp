#include "support/quickitems.h"

#include <QElapsedTimer>
#include <QQuickItem>
#include <QQuickView>
#include <QtTest>

namespace pryx::test {

namespace {
void collect(QQuickItem *parent, const QString &name, QList<QQuickItem *> &out)
{
    for (QQuickItem *c : parent->childItems()) {
        if (c->objectName() == name)
            out << c;
        collect(c, name, out);
    }
}
} // namespace

QList<QQuickItem *> itemsNamed(QQuickItem *parent, const QString &name)
{
    QList<QQuickItem *> out;
    if (parent)
        collect(parent, name, out);
    return out;
}

QQuickItem *itemNamed(QQuickItem *parent, const QString &name) { return itemsNamed(parent, name).value(0); }

void clickItem(QWindow *window, QQuickItem *item, Qt::MouseButton button)
{
    QVERIFY2(item, "no item");
    QVERIFY2(item->isVisible(), qPrintable(item->objectName() + " is not shown"));
    const QPointF c = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
    QTest::mouseClick(window, button, Qt::NoModifier, c.toPoint());
}

bool activateWindow(QWindow *window, int timeoutMs)
{
    QElapsedTimer waited;
    waited.start();
    while (!window->isActive() && waited.elapsed() < timeoutMs) {
        window->requestActivate();
        QTest::qWait(50);
    }
    return window->isActive();
}

QQuickItem *PageDriver::item(const QString &name) const
{
    QQuickView *view = pageView();
    QQuickItem *i = view ? itemNamed(view->rootObject(), name) : nullptr;
    if (!i)
        qWarning() << "no item" << name;
    return i;
}

bool PageDriver::shown(const QString &name) const
{
    QQuickItem *i = item(name);
    return i && i->isVisible();
}

QString PageDriver::text(const QString &name) const
{
    QQuickItem *i = item(name);
    return i ? i->property("text").toString() : QString();
}

void PageDriver::clickOn(const QString &name, Qt::MouseButton button)
{
    QTest::qWait(30);   // positioners lay out on the next frame
    QQuickItem *i = item(name);
    QVERIFY2(i, qPrintable("no item " + name));
    clickItem(pageView(), i, button);
}

void PageDriver::type(const QString &typed)
{
    for (const QChar c : typed)
        QTest::keyClick(pageView(), c.toLatin1());
}

void PageDriver::typeInto(const QString &name, const QString &typed)
{
    clickOn(name);
    QTRY_VERIFY(item(name)->property("inputFocus").toBool());
    type(typed);
    QCOMPARE(text(name), typed);
}

} // namespace pryx::test
