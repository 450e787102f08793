#pragma once
// One FTP upload job's worker thread and the FTP connection check of the
// settings page.

#include "network/curluploadthread.h"

class HandleFTPUpload : public CurlUploadThread
{
    Q_OBJECT
public:
    enum TypeAfterAction {
        AfterNone = 0,
        AfterFacebook = 1,
        AfterOdnoklassniki = 2,
        AfterVk = 3,
        AfterTwitter = 4,
        AfterMail = 5
    };
    Q_ENUM(TypeAfterAction)

    explicit HandleFTPUpload(QObject *parent = nullptr);

    void upload(QStringList files, QString user, QString password, QString host, QString path,
                int port, QString baseUrl, bool archive, HandleFTPUpload::TypeAfterAction afterAction);
    static QString cCheckFtpConnect(QString user, QString password, QString host, QString path,
                                    int port);

protected:
    QString hostMissingText() const override;
    QString availableText() const override;
    bool checksHostBeforeStart() const override { return false; }
};
