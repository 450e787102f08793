#include "network/uploadmodel.h"

#include "network/handlerupload.h"

#include <QDebug>

UploadModel::UploadModel(QObject *parent) : QAbstractListModel(parent) {}

void UploadModel::addItem(HandlerUpload *job)
{
    if (items_.isEmpty()) {
        roundCompleted_ = false;
        roundWithoutCompletion_ = false;
    }
    beginInsertRows(QModelIndex(), items_.size(), items_.size());
    items_.append(job);
    endInsertRows();
    connect(job, SIGNAL(uploadProgress(qlonglong,qlonglong)), this, SLOT(update()));
    connect(job, SIGNAL(uploadComplete(HandlerUpload*)), this, SLOT(removeItem(HandlerUpload*)));
    connect(job, SIGNAL(uploadStoped(HandlerUpload*)), this, SLOT(removeItem(HandlerUpload*)));
    connect(job, SIGNAL(uploadFailed(HandlerUpload*)), this, SLOT(removeItem(HandlerUpload*)));
    // A job freed by its owner (the program ending) leaves the list quietly.
    connect(job, &QObject::destroyed, this, [this](QObject *gone) {
        const int i = items_.lastIndexOf(static_cast<HandlerUpload *>(gone));
        if (i >= 0) {
            beginRemoveRows(QModelIndex(), i, i);
            items_.removeAt(i);
            endRemoveRows();
            emit countItemChanged();
        }
    });
    emit countItemChanged();
    update();
}

int UploadModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : items_.size();
}

int UploadModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 1;
}

QVariant UploadModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= items_.size())
        return QVariant();
    HandlerUpload *job = items_.at(index.row());
    switch (role) {
    case DownloadRole: return job->uploadedSize();
    case TotalRole: return job->totalSize();
    case UploaderRole: return QVariant::fromValue(job);
    case ArchiveRole: return job->isArchiving();
    default: return QVariant();
    }
}

QHash<int, QByteArray> UploadModel::roleNames() const
{
    return {{DownloadRole, "download"}, {TotalRole, "total"}, {UploaderRole, "uploader"},
            {ArchiveRole, "archive"}};
}

void UploadModel::removeItem(HandlerUpload *job)
{
    beginResetModel();
    const int i = items_.lastIndexOf(job);
    if (i >= 0) {
        items_.removeAt(i);
        if (job->isCompleted())
            roundCompleted_ = true;
        job->deleteLater();
        emit countItemChanged();
        if (items_.isEmpty()) {
            roundWithoutCompletion_ = !roundCompleted_;
            roundCompleted_ = false;
        }
    }
    if (items_.isEmpty())
        emit uploadComplete();
    endResetModel();
    update();
}

void UploadModel::update()
{
    beginResetModel();
    endResetModel();
    emit updateData();
}
