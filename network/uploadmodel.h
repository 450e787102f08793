#pragma once
// The running upload jobs for the upload window; frees each job once it ended.

#include <QAbstractListModel>
#include <QList>

class HandlerUpload;

class UploadModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Roles { DownloadRole = 0, TotalRole = 1, UploaderRole = 2, ArchiveRole = 3 };

    explicit UploadModel(QObject *parent = nullptr);

    void addItem(HandlerUpload *job);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

signals:
    void countItemChanged();
    void uploadComplete();
    void updateData();

public slots:
    void removeItem(HandlerUpload *job);
    void update();

private:
    QList<HandlerUpload *> items_;
};
