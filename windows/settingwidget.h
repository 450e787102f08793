#pragma once
// The settings window.

#include "windows/basicwindow.h"

class SettingWidget : public BasicWindow
{
    Q_OBJECT
    Q_PROPERTY(int height READ height WRITE setHeight NOTIFY heightChanged)
public:
    explicit SettingWidget(QWindow *parent = nullptr);

public slots:
    void setHeight(int arg) override;
    void show();

signals:
    void heightChanged(int height);

protected:
    void init() override;
};
