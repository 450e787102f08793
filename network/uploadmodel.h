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

    // True when the jobs whose end emptied the list last all failed or were
    // stopped: that uploadComplete() completed nothing. False again once a
    // new job is listed.
    bool roundEndedWithoutCompletion() const { return roundWithoutCompletion_; }

signals:
    void countItemChanged();
    void uploadComplete();
    void updateData();

public slots:
    void removeItem(HandlerUpload *job);
    void update();

private:
    QList<HandlerUpload *> items_;
    bool roundCompleted_ = false;         // a job of the running round completed
    bool roundWithoutCompletion_ = false;
};
