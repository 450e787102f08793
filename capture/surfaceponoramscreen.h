#pragma once
// The window-scrolling panorama: a full-desktop view on which the pointer
// highlights the window beneath it; a click on it scrolls that window by
// wheel notches, grabs it after every step and stitches the shots into one
// tall image, which then opens in an annotation area. A dragged selection
// is handed to the timer-driven engine instead.

#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QQuickView>
#include <QRect>

#include "capture/surfaceselector.h"
#include "editor/ppainterarea.h"

class Ponoram;
class PonoramInput;

class SurfacePonoramScreen : public QQuickView
{
    Q_OBJECT

public:
    explicit SurfacePonoramScreen(QWindow *parent = nullptr);
    ~SurfacePonoramScreen() override;

    static const char *const kPageUrl;

    void show();
    QPixmap background() const { return background_; }
    QPixmap ponoramPixmap() const { return ponoramPixmap_; }
    SurfaceSelector *selector() const { return selector_; }
    PPainterArea *paintArea() const { return paintArea_; }
    bool isFinished() const { return finished_; }
    // True while the window-scrolling loop runs.
    bool isScrolling() const { return scrolling_; }
    // The highlighted window (page coordinates), null when none.
    QRect fixedRect() const { return fixedRect_; }

    // Bounds of one window-scrolling run.
    void setLimits(int maxRounds, int maxHeight);
    // Takes ownership; null restores the real desktop.
    void setInput(PonoramInput *input);

    // Where shot `b` continues `a` (binarized rows, full width): the row of
    // `a` on which b's first row lies, at the largest overlap of a's bottom
    // with b's top; -1 when they do not overlap.
    static int stitchOffset(const QImage &a, const QImage &b);

    Q_INVOKABLE void findScrollRect(int x, int y);
    Q_INVOKABLE void cleadFindScrollRect();
    Q_INVOKABLE QRect toolbarScreen(int x, int y, int width, int height);
    Q_INVOKABLE void uploadScreen();
    Q_INVOKABLE void startPonoram();
    Q_INVOKABLE QPixmap renderRubberRect();
    Q_INVOKABLE void setPaintArea(PPainterArea *area);

signals:
    void backgroundChanged(QPixmap);
    void ponoramPixmapComplete(QPixmap);
    void uploadedScreen();
    // The run ended without a panorama: a shot could not be stitched, or
    // the window is too small to grab.
    void errorGlueImage();

public slots:
    void stopPonoram(QPixmap p);

protected:
    void keyPressEvent(QKeyEvent *e) override;

private:
    void scrollWindow(const QRect &s);
    QImage grab(const QRect &pageRect);
    // Waits until the overlay's next frame is on screen.
    void showFrame();
    // Handles events for `ms` milliseconds, or until Escape.
    void pause(int ms);
    void setMaskRegion(const QRegion &region);

    // Longest wait for a scrolled window to show its next step.
    static constexpr int kSettleMs = 1500;
    // Longest wait for the overlay's next frame.
    static constexpr int kFrameMs = 500;

    QPixmap background_;
    QPixmap ponoramPixmap_;
    QPointer<SurfaceSelector> selector_;
    Ponoram *ponoram_ = nullptr;
    QRect captureRect_;
    QPointer<PPainterArea> paintArea_;
    bool finished_ = false;

    QRect fixedRect_;
    QRect desktop_;
    bool scrolling_ = false;
    bool escape_ = false;
    int maxRounds_ = 400;
    int maxHeight_ = 32000;
    PonoramInput *input_ = nullptr;
};
