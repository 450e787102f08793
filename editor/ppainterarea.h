#pragma once
// The item on which a capture is annotated: owns the tool modules, the graph
// items (as child items), the undo stack and the blackout layer, routes the
// mouse to the current tool and renders the final image.

#include <QColor>
#include <QImage>
#include <QList>
#include <QMetaObject>
#include <QPointer>
#include <QQuickItem>
#include <QRectF>
#include <QString>

#include "editor/abstractgraphitem.h"

class BlackoutArea;
class GraphModule;
class QUndoStack;

class PPainterArea : public QQuickItem
{
    Q_OBJECT
    Q_PROPERTY(QString currentModule READ currentModuleName WRITE setCurrentModule NOTIFY currentModuleChanged)
    Q_PROPERTY(QImage background READ background WRITE setBackground NOTIFY backgroundChanged)
    Q_PROPERTY(QColor currentColor READ currentColor WRITE setCurrentColor NOTIFY currentColorChanged)
    Q_PROPERTY(int currentColorX READ currentColorX WRITE setCurrentColorX NOTIFY currentColorXChanged)
    Q_PROPERTY(int currentLineWidth READ currentLineWidth WRITE setCurrentLineWidth NOTIFY currentLineWidthChanged)
    Q_PROPERTY(bool currentSubstrate READ currentSubstrate WRITE setCurrentSubstrate NOTIFY currentSubstrateChanged)
    Q_PROPERTY(AbstractGraphItem *currentItem READ currentItem NOTIFY currentItemChange)
    Q_PROPERTY(bool canUndo READ canUndo NOTIFY canUndoChange)
    Q_PROPERTY(bool canRedo READ canRedo NOTIFY canRedoChange)
    Q_PROPERTY(QRectF selectRect READ selectRect WRITE setSelectRect)

public:
    explicit PPainterArea(QQuickItem *parent = nullptr);
    ~PPainterArea() override;

    QString currentModuleName() const;
    QImage background() const { return background_; }
    void setBackground(const QImage &image);
    QColor currentColor() const { return currentColor_; }
    void setCurrentColor(const QColor &color);
    int currentColorX() const { return currentColorX_; }
    void setCurrentColorX(int x);
    int currentLineWidth() const { return currentLineWidth_; }
    void setCurrentLineWidth(int width);
    bool currentSubstrate() const { return currentSubstrate_; }
    void setCurrentSubstrate(bool substrate);
    AbstractGraphItem *currentItem() const { return currentItem_; }
    bool canUndo() const;
    bool canRedo() const;
    QRectF selectRect() const { return selectRect_; }
    void setSelectRect(const QRectF &rect);

    // The final image of `rect`: the background with every visible item
    // whose z is below zLimit, painted in stacking order.
    QImage renderImage(QRect rect, double zLimit, bool antialias);
    int nextZ();
    bool isCurrentModule(const QString &name) const;
    GraphModule *findModule(const QString &name) const;
    GraphModule *module() const { return currentModule_; }
    QList<GraphModule *> modules() const { return modules_; }
    AbstractGraphItem *checkedItem() const;
    // Both are called by name from the capture surface and the pages.
    Q_INVOKABLE void clearSelection();
    QUndoStack *undoStack() const { return undoStack_; }
    Q_INVOKABLE void selectLastModule();
    BlackoutArea *blackoutArea() const { return blackoutArea_; }

    // The item of the gesture in progress (pressed on the area), else null.
    AbstractGraphItem *drawingItem() const;
    // Button that began the gesture in progress (NoButton when none).
    Qt::MouseButton gestureButton() const { return pressed_ ? gestureButton_ : Qt::NoButton; }
    // Modifiers of the input event being handled; the queried state outside
    // of event handling.
    Qt::KeyboardModifiers keyboardModifiers() const;
    void setEventModifiers(Qt::KeyboardModifiers modifiers);
    void clearEventModifiers();

    Q_INVOKABLE void checkUndo();
    Q_INVOKABLE void checkRedo();
    Q_INVOKABLE void pushLineWidthChange(int value, int oldVallue);
    Q_INVOKABLE void pushColorChange(int xValue, int oldXValue);

    // Settings key of the line width of a tool.
    static QString widthKey(const QString &toolName);

signals:
    void currentModuleChanged(QString name);
    void backgroundChanged(QImage image);
    void currentColorChanged(QColor color);
    void currentColorXChanged(int value);
    void currentLineWidthChanged(int value);
    void currentSubstrateChanged(bool value);
    void currentItemChange(AbstractGraphItem *item);
    void updateBlackoutArea();
    void canUndoChange(bool arg);
    void canRedoChange(bool arg);

public slots:
    void setCurrentItemColor(QColor color);
    void setCurrentItemColorX(int x);
    void setCurrentItemWidth(int width);
    void setCurrentItemSubstrate(bool substrate);
    void setCurrentItem(AbstractGraphItem *item);
    void checkBackgroundArea(QString name);
    void setCurrentModule(QString name);
    void updateBlurItem();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void geometryChanged(const QRectF &newGeometry, const QRectF &oldGeometry) override;

private slots:
    void currentItemVisibilityChanged();

private:
    friend class EventModifierScope;
    void createModules();
    void grabScreens();
    void adoptCurrentItem(AbstractGraphItem *item);
    void copyItemOptions();
    void makeCommandItemCurrent();
    void rescaleItems(double ratio);
    const QImage &scaledBackground();

    QList<GraphModule *> modules_;
    GraphModule *currentModule_ = nullptr;
    bool pressed_ = false;
    QColor currentColor_;
    int currentLineWidth_ = 0;
    bool currentSubstrate_ = false;
    int currentColorX_ = 0;
    QString lastModuleName_;
    int zCounter_ = 100;
    QImage background_;
    QPointer<AbstractGraphItem> currentItem_;
    QUndoStack *undoStack_ = nullptr;
    BlackoutArea *blackoutArea_ = nullptr;
    QRectF selectRect_;
    bool widthToggle_ = false;

    Qt::MouseButton gestureButton_ = Qt::NoButton;
    bool hasEventModifiers_ = false;
    Qt::KeyboardModifiers eventModifiers_;
    QMetaObject::Connection currentVisibleConnection_;
    // Width of the item before the live width change that the next
    // pushLineWidthChange ends.
    QPointer<AbstractGraphItem> widthItem_;
    int widthAtStart_ = 0;
    QImage scaledBackground_;
};

// Sets the area's event modifiers for the life of a handler.
class EventModifierScope
{
public:
    EventModifierScope(PPainterArea *area, Qt::KeyboardModifiers modifiers);
    ~EventModifierScope();
    EventModifierScope(const EventModifierScope &) = delete;
    EventModifierScope &operator=(const EventModifierScope &) = delete;

private:
    QPointer<PPainterArea> area_;
    bool had_;
    Qt::KeyboardModifiers previous_;
};
