#include "network/handlesftpupload.h"

HandleSFTPUpload::HandleSFTPUpload(QObject *parent) : CurlUploadThread(pryx::CurlProtocol::Sftp, parent) {}

void HandleSFTPUpload::upload(QStringList files, QString user, QString password, QString host,
                             QString path, int port, QString baseUrl, bool archive,
                             HandleSFTPUpload::TypeAfterAction afterAction)
{
    beginUpload(files, user, password, host, path, port, baseUrl, archive, int(afterAction));
}

QString HandleSFTPUpload::cCheckSftpConnect(QString user, QString password, QString host, QString path,
                                          int port)
{
    return pryx::checkCurlConnection(pryx::CurlProtocol::Sftp, user, password, host, path,
                                     port, pryx::curlDebug());
}

QString HandleSFTPUpload::hostMissingText() const { return tr("SFTP host is null"); }
QString HandleSFTPUpload::availableText() const { return tr("SFTP connection is avaliable"); }
