#pragma once
// Information or yes/no question on the message page. result(0) means
// Ok / yes, result(1) Cancel; Escape closes without a result.

#include "windows/basicwindow.h"

class MessageDialog : public BasicWindow
{
    Q_OBJECT
public:
    explicit MessageDialog(QWindow *parent = nullptr);
    ~MessageDialog() override;

    Q_INVOKABLE void done(int value);

    void showInformation(QString title, QString message);
    void showQuestion(QString title, QString message);

public slots:
    void on_pbOk_clicked();
    void on_pbCancel_clcked();

signals:
    void result(int value);

protected:
    void init() override;

private:
    void reload();
};
