#pragma once
// The error window: one error text on its page.

#include "windows/basicwindow.h"

class ErrorWidget : public BasicWindow
{
    Q_OBJECT
public:
    explicit ErrorWidget(QString text, QWindow *parent = nullptr);

    QString errorText() const { return text_; }

public slots:
    void setErrorText(QString text);

protected:
    void init() override;

private:
    QString text_;
};
