#pragma once
// A framed window for annotating a finished panorama that may be taller or
// wider than the screen; the result goes to Core like a capture.

#include <QPixmap>
#include <QPointer>
#include <QQuickView>

#include "capture/capturecommands.h"
#include "capture/surfaceselector.h"
#include "editor/ppainterarea.h"

class QQuickItem;

class EditPonoramWidget : public QQuickView
{
    Q_OBJECT
    Q_PROPERTY(int maxWidth READ maxWidth NOTIFY maxWidthChanged)
    Q_PROPERTY(int maxHeight READ maxHeight NOTIFY maxHeightChanged)
    Q_PROPERTY(int currentPixmapAcpectRatio READ currentPixmapAcpectRatio NOTIFY currentPixmapAcpectRatioChanged)
    Q_PROPERTY(bool isTransparentSupport READ isTransparentSupport NOTIFY isTransparentSupportChanged)

public:
    // `core` (Core) receives the results and serves the page as "core".
    explicit EditPonoramWidget(QPixmap pxm, QWindow *parent = nullptr,
                               pryx::capture::CaptureCommands *core = nullptr);
    ~EditPonoramWidget() override;

    static const char *const kPageUrl;

    int maxWidth() const;
    int maxHeight() const { return maxHeight_; }
    int currentPixmapAcpectRatio() const { return currentPixmapAcpectRatio_; }
    bool isTransparentSupport() const { return false; }
    QPixmap background() const { return background_; }
    PPainterArea *paintArea() const { return paintArea_; }

    void setBackground(QPixmap pxm);
    void showCentered();
    // The annotated panorama as it goes out.
    QImage renderResult();

    Q_INVOKABLE void close();
    Q_INVOKABLE void uploadScreen();
    Q_INVOKABLE void saveScreen();
    Q_INVOKABLE void screenSaveToClipboard();
    Q_INVOKABLE void screenPostVK();
    Q_INVOKABLE void screenPostOdnoklassniki();
    Q_INVOKABLE void screenPostFacebook();
    Q_INVOKABLE void screenPostTwitter();
    Q_INVOKABLE void screenPostMail();
    Q_INVOKABLE void move(int x, int y);
    Q_INVOKABLE QPointF mapToScene(QQuickItem *item);
    Q_INVOKABLE QString requestBackground();

signals:
    void closed();
    void maxWidthChanged();
    void maxHeightChanged();
    void hideToolBar();
    void currentPixmapAcpectRatioChanged();
    void isTransparentSupportChanged(bool);
    void backgroundChange();

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void keyReleaseEvent(QKeyEvent *e) override;

private:
    pryx::capture::CaptureCommands *core() const;
    // Hands the rendered panorama to one of Core's commands and closes.
    void post(void (pryx::capture::CaptureCommands::*command)(QPixmap));
    // Keeps the window inside the primary screen's available area.
    void placeInside(QPoint topLeft);
    void finish();
    void keepPlaced();

    QPixmap background_;
    int maxWidth_ = 0;
    int maxHeight_ = 0;
    int currentPixmapAcpectRatio_ = 1;
    QPointer<PPainterArea> paintArea_;
    QPointer<SurfaceSelector> selector_;
    QPointer<pryx::capture::CaptureCommands> core_;
    bool escapeUnchecked_ = false; // the Escape press only unchecked items
    bool closedEmitted_ = false;
    bool movedByUser_ = false;
};
