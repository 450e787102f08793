#pragma once
// The proxy settings window.

#include "windows/basicwindow.h"

class ProxyWidget : public BasicWindow
{
    Q_OBJECT
public:
    explicit ProxyWidget(QWindow *parent = nullptr);

protected:
    void init() override;
};
