#pragma once
// The login and registration window.

#include "windows/basicwindow.h"

class AutorizationWidget : public BasicWindow
{
    Q_OBJECT
public:
    explicit AutorizationWidget(QWindow *parent = nullptr);

protected:
    void init() override;
};
