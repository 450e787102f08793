#pragma once
// Helpers shared by every upload target: listing folders, naming and writing
// the zip archive of an upload, and the share pages opened after it.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

// Appends every folder and file below folder, depth first, as absolute paths
// (a folder before its own entries). Hidden entries are not listed; a link to
// a folder that is already being listed (a loop) is skipped.
void collectFiles(const QString &folder, QStringList &list);

// Every file below folder, depth first (no folder entries).
QStringList filesBelow(const QString &folder);

// The files of a batch: folders replaced by the files below them.
QStringList expandFiles(const QStringList &entries);

// Sum of the sizes of the files of a batch (folders count nothing themselves).
quint64 batchSize(const QStringList &entries);

// The path of the zip archive of entries in tmpDir: "<base> <stamp>.zip",
// where stamp is "yyyy-MM-dd at hh.mm.ss". When that exists, "<folder>_N
// <stamp>.zip". With reserve, the chosen file is created empty at once, so two
// jobs in the same second never pick the same name. Empty on failure.
QString archiveFileNameIn(const QStringList &entries, const QString &tmpDir,
                          const QDateTime &now, bool reserve = true);
// The same in the program's temporary folder, reserved.
QString archiveFileName(const QStringList &entries,
                        const QDateTime &now = QDateTime::currentDateTime());

// Writes entries into a new zip at zipPath: a file as one entry under its own
// name; a folder as "<folder>/<path below>" entries (subfolders end in "/").
// progress(done, total) reports the bytes copied now and then (total counts
// the bytes of every file); stop() is polled and ends the writing early.
// Returns false with *error set on failure or stop; the partial file is removed.
bool writeZipArchive(const QString &zipPath, const QStringList &entries,
                     const std::function<void(qint64 done, qint64 total)> &progress,
                     const std::function<bool()> &stop, QString *error);

// State shared between an archive task on a pool thread and its job.
struct ArchiveTask {
    std::atomic<bool> stop{false};
    std::atomic<int> percent{0};
    QString error;          // set by the task on failure, read after it ended
};

// writeZipArchive for a job's pool task: percent = copied / ((1 + total) / 100).
bool writeZipArchive(const QString &zipPath, const QStringList &entries, ArchiveTask &task);

// The share page (or mail link) of an after-upload action with the link
// percent-encoded into it; empty for none.
QString shareUrlFor(int afterAction, const QString &link);
