#pragma once
// A test's hands on a Qt Quick page in its real window: items found by their
// object names, clicked at their centre and typed into, as a user would.

#include <QList>
#include <QString>
#include <Qt>

class QQuickItem;
class QQuickView;
class QWindow;

namespace pryx::test {

// The items of this object name below `parent`, depth first through the
// visual item tree (list delegates and Repeater rows are children of their
// row there only).
QList<QQuickItem *> itemsNamed(QQuickItem *parent, const QString &name);
// The first of them; null when there is none.
QQuickItem *itemNamed(QQuickItem *parent, const QString &name);
// A click at the item's centre in its window; the item must be shown.
void clickItem(QWindow *window, QQuickItem *item, Qt::MouseButton button = Qt::LeftButton);
// Asks for the keyboard focus until the window holds it (a request made
// before the window is mapped goes unheard); whether it does in time.
bool activateWindow(QWindow *window, int timeoutMs = 5000);

// Drives the page of one window by the names of its items; a test object
// inherits it (after QObject) and names the window in pageView().
class PageDriver
{
public:
    virtual ~PageDriver() = default;

protected:
    // The window of the page, null while there is none.
    virtual QQuickView *pageView() const = 0;

    // The item of this name; null, with a warning, when there is none.
    QQuickItem *item(const QString &name) const;
    bool shown(const QString &name) const;
    // Its "text" property; empty when there is no such item.
    QString text(const QString &name) const;
    // A click on the item once the page's positioners have laid it out.
    void clickOn(const QString &name, Qt::MouseButton button = Qt::LeftButton);
    // Each character as a key press into the window.
    void type(const QString &typed);
    // A click into the field, then, once it holds the focus, the characters;
    // the field shows `typed` afterwards.
    void typeInto(const QString &name, const QString &typed);
};

} // namespace pryx::test
