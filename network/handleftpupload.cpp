#include "network/handleftpupload.h"

HandleFTPUpload::HandleFTPUpload(QObject *parent) : CurlUploadThread(pryx::CurlProtocol::Ftp, parent) {}

void HandleFTPUpload::upload(QStringList files, QString user, QString password, QString host,
                             QString path, int port, QString baseUrl, bool archive,
                             HandleFTPUpload::TypeAfterAction afterAction)
{
    beginUpload(files, user, password, host, path, port, baseUrl, archive, int(afterAction));
}

QString HandleFTPUpload::cCheckFtpConnect(QString user, QString password, QString host, QString path,
                                          int port)
{
    return pryx::checkCurlConnection(pryx::CurlProtocol::Ftp, user, password, host, path,
                                     port, pryx::curlDebug());
}

QString HandleFTPUpload::hostMissingText() const { return tr("FTP host is null"); }
QString HandleFTPUpload::availableText() const { return tr("FTP connection is avaliable"); }
