#pragma once
// The capture surface: a frameless stay-on-top view over every screen that
// shows the frozen desktop and hosts the selector, the magnifier and the
// annotation area. It never saves or uploads itself; every command goes to
// Core, which pulls selectRect() and grabResult() back out of it.

#include <QPixmap>
#include <QPointer>
#include <QQuickView>
#include <QRect>
#include <QSize>

#include "capture/capturecommands.h"
#include "capture/surfaceselector.h"

class QQuickItem;
class Ponoram;

class SurfaceWidget : public QQuickView
{
    Q_OBJECT
    Q_PROPERTY(QPixmap background READ background WRITE setBackground NOTIFY backgroundChanged)
    Q_PROPERTY(bool isPonoramWork READ isPonoramWork NOTIFY isPonoramWorkChanged)
    Q_PROPERTY(QSize ponoramSize READ ponoramSize NOTIFY ponoramSizeChanged)
    Q_PROPERTY(bool isPonoramError READ isPonoramError NOTIFY isPonoramErrorChanged)
    Q_PROPERTY(bool visibleCloseWindow READ visibleCloseWindow WRITE setVisibleCloseWindow NOTIFY visibleCloseWindowChanged)
    Q_PROPERTY(int primaryX READ primaryX NOTIFY primaryXChanged)
    Q_PROPERTY(int primaryY READ primaryY NOTIFY primaryYChanged)
    Q_PROPERTY(int primaryWidth READ primaryWidth NOTIFY primaryWidthChanged)
    Q_PROPERTY(int primaryHeight READ primaryHeight NOTIFY primaryHeightChanged)
    Q_PROPERTY(bool isCommandModified READ isCommandModified NOTIFY isCommandModifiedChanged)

public:
    // `core` receives the commands.
    explicit SurfaceWidget(QWindow *parent = nullptr, pryx::capture::CaptureCommands *core = nullptr);
    ~SurfaceWidget() override;

    static const char *const kPageUrl;
    // Registers the capture items in "PryxComponent" 1.0 (once per process).
    static void registerTypes();

    QPixmap background() const { return background_; }
    void setBackground(const QPixmap &pxm);
    bool isPonoramWork() const { return isPonoramWork_; }
    QSize ponoramSize() const { return ponoramSize_; }
    bool isPonoramError() const { return isPonoramError_; }
    bool visibleCloseWindow() const { return visibleCloseWindow_; }
    void setVisibleCloseWindow(bool value);
    int primaryX() const;
    int primaryY() const;
    int primaryWidth() const;
    int primaryHeight() const;
    bool isCommandModified() const;

    void setFullscreen(bool value);
    void setQuickScreen(bool value);
    void show();
    QRect selectRect() const;
    QPixmap grabResult();
    void showOnWindow(int index, QRect rect, QPixmap pxm);
    SurfaceSelector *selector() const { return selector_; }
    QQuickItem *paintArea() const { return paintArea_; }
    // Where the desktop lies that the page covers (page 0,0 is its top-left).
    QRect desktopRect() const { return desktop_; }

    Q_INVOKABLE void saveScreen();
    Q_INVOKABLE void screenSaveToClipboard();
    Q_INVOKABLE void screenPostVK();
    Q_INVOKABLE void screenPostOdnoklassniki();
    Q_INVOKABLE void screenPostFacebook();
    Q_INVOKABLE void screenPostTwitter();
    Q_INVOKABLE void screenPostMail();
    Q_INVOKABLE void checkProperties();
    Q_INVOKABLE void setEnableMask(bool enable);
    Q_INVOKABLE QRect toolbarScreen(int x, int y, int width, int height);
    Q_INVOKABLE QPoint toolbarPosition(int left, int top, int right, int bottom,
                                       int toolbarWidth, int toolbarHeight);
    // Page coordinates of the toolbar kept wholly inside its monitor.
    Q_INVOKABLE QPoint keepInsideScreen(int x, int y, int width, int height);
    Q_INVOKABLE QPoint magnifierPosition(int baseX, int baseY, int width, int height, int cursorX,
                                         int cursorY);
    // The monitor under the mouse cursor, in page coordinates.
    Q_INVOKABLE QRect cursorScreen();
    Q_INVOKABLE void setPaintArea(QQuickItem *area);
    Q_INVOKABLE QString requestBackground();
    Q_INVOKABLE QPointF mapToScene(QQuickItem *item);
    Q_INVOKABLE QPointF mapToScenePoint(QQuickItem *item, int x, int y);
    Q_INVOKABLE void uploadScreen();

public slots:
    void startPonoram();
    void stopPonoram();
    void cancelPonoram();
    void close();
    void ponoramComplete(QPixmap pxm);
    void setPonoramSize(QSize size);
    void ponoramError();

signals:
    void uploadedScreen();
    void uploadPonoram(QPixmap res);
    void ponoramPixmapComplete();
    void closed();
    void backgroundChanged(QPixmap);
    void isPonoramWorkChanged(bool enable);
    void ponoramSizeChanged(QSize);
    void isPonoramErrorChanged(bool);
    void visibleCloseWindowChanged(bool);
    void primaryXChanged();
    void primaryYChanged();
    void primaryWidthChanged();
    void primaryHeightChanged();
    void hideToolBar();
    void isCommandModifiedChanged();

protected:
    bool event(QEvent *e) override;
    void hideEvent(QHideEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void keyReleaseEvent(QKeyEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;

private:
    void init();
    QPixmap createBackground(int index);
    // Core when it is there and the selection can be used for `action`.
    pryx::capture::CaptureCommands *commandsFor(const char *action) const;
    // Core when it is there.
    pryx::capture::CaptureCommands *commands(const char *action) const;
    bool selectionUsable(const char *action) const;
    bool isEmptySelection() const;
    QString currentTool() const;
    QObject *currentItem() const;
    bool waitWithToolbarHidden();
    void copyMagnifierColor();
    void setPonoramWork(bool value);

    QPointer<QQuickItem> paintArea_;
    QPointer<SurfaceSelector> selector_;
    QPoint pressPos_;
    bool mousePressed_ = false;
    bool selectionDrag_ = false;
    bool quick_ = false;
    bool fullscreen_ = false;
    bool isPonoramWork_ = false;
    bool isPonoramError_ = false;
    bool visibleCloseWindow_ = false;
    bool maskEnabled_ = false;
    bool ponoramResult_ = false;
    QPixmap background_;
    QPixmap ponoramPixmap_;
    Ponoram *ponoram_ = nullptr;
    QSize ponoramSize_ = QSize(-1, -1);

    // Held while one of the surface's own calls runs: a deletion asked for
    // meanwhile (a close reached from a page handler or a nested wait) is
    // carried out once the outermost call has returned.
    class BusyScope
    {
    public:
        explicit BusyScope(SurfaceWidget *s);
        ~BusyScope();
        BusyScope(const BusyScope &) = delete;
        BusyScope &operator=(const BusyScope &) = delete;

    private:
        QPointer<SurfaceWidget> s_;
    };

    QRect desktop_;
    QPointer<pryx::capture::CaptureCommands> core_;
    int waitDepth_ = 0;       // nested waits running (copy to the clipboard)
    int busy_ = 0;            // BusyScopes open
    bool deletePending_ = false;
    bool closing_ = false;    // closed while a wait ran
    int backgroundSerial_ = 0;
};
