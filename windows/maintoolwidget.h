#pragma once
// The small main tool window.

#include "windows/basicwindow.h"

class MainToolWidget : public BasicWindow
{
    Q_OBJECT
public:
    explicit MainToolWidget(QWindow *parent = nullptr);

protected:
    void init() override;
};
