#pragma once
// The window that offers the last link after an upload; it hides itself
// ten seconds after it was last shown.

#include "windows/basicwindow.h"

#include <QTimer>

class LastUploadWidget : public BasicWindow
{
    Q_OBJECT
public:
    explicit LastUploadWidget(QWindow *parent = nullptr);

    QTimer *hideTimer() { return &timer_; }

public slots:
    void showTimed();
    void on_openLastLink_clicked() {}
    void on_copyClipboard_clicked() {}
    void on_cbDontShowClicked() {}

protected:
    void init() override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QTimer timer_;
};
