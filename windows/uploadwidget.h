#pragma once
// The upload list window.

#include "windows/basicwindow.h"

class UploadWidget : public BasicWindow
{
    Q_OBJECT
public:
    explicit UploadWidget(QWindow *parent = nullptr);

public slots:
    void rebuildProgress() {}
    void updateUpload() {}
    void translate() {}
    void on_pbCancel_clicked() {}
    void on_cbDoNotShow_clicked(bool) {}

protected:
    void init() override;
    void resizeEvent(QResizeEvent *event) override;
};
