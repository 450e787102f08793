#pragma once
// Scrolling panorama under a screen rectangle: scrolls whatever lies there by
// wheel notches, grabs the rectangle after each notch and glues every grab
// where its top strip lies in the image gathered so far.

#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QTimer>

#include <functional>

// What the engine does to the desktop; replaced in tests.
class PonoramInput
{
public:
    virtual ~PonoramInput() = default;
    virtual QImage grab(const QRect &rect);
    virtual void click(const QPoint &p);
    virtual void wheelDown();
    virtual QPoint cursorPos();
    virtual void pressLeft(const QPoint &p);
    virtual void releaseLeft();

    // Looks at `rect` again every kStillMs, starting from `shot`, until two
    // looks agree (the window has finished drawing) or `budgetMs` passed;
    // `wait(ms)` passes the time between looks and returns false to stop.
    QImage grabStill(const QRect &rect, QImage shot, qint64 budgetMs,
                     const std::function<bool(int)> &wait);
    static constexpr int kStillMs = 30;
};

class Ponoram : public QObject
{
    Q_OBJECT

public:
    explicit Ponoram(QObject *parent = nullptr);
    ~Ponoram() override;

    // Takes ownership; null restores the real desktop.
    void setInput(PonoramInput *input);

    void startPonoram(QRect r);
    // Ends a run: the timer stops and complete() is emitted (once per run).
    void stopPonoram();
    // Ends a run without complete().
    void cancelPonoram();
    bool isRunning() const { return running_; }
    QPixmap image() const { return accumulated_; }

    static constexpr int kInterval = 50;
    static constexpr int kStripHeight = 100;
    static constexpr int kStandstillTicks = 5;
    // Longest wait for a shot to hold still.
    static constexpr int kStillBudgetMs = 500;

    // Row of `strip` 0 lies on row (result) of `image`, -1 when no place fits.
    static int findOffset(const QImage &image, const QImage &strip);

signals:
    void complete(QPixmap);
    void rectChange(QSize);
    void changePreview(QImage);
    void errorGlueImage();

public slots:
    void shotTimer();

private:
    QTimer shotTimer_;
    QRect rect_;
    QPixmap accumulated_;
    int lastOffset_ = 0;
    int sameOffsetCount_ = 0;
    bool running_ = false;
    PonoramInput *input_ = nullptr;
};
