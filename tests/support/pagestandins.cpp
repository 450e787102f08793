#include "support/pagestandins.h"

QVariant PageUploads::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= jobs_.size())
        return QVariant();
    const Job &job = jobs_.at(index.row());
    switch (role) {
    case 0: return job.download;
    case 1: return job.total;
    case 3: return job.archive;
    default: return QVariant();
    }
}
