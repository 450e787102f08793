#pragma once
// Stand-ins for the upload job's shared helpers (folder listing, archive name,
// zip writer, share pages) used by the FTP and SFTP threads. They go away
// when the upload job's own versions are in the tree.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

// Appends, depth first, every folder and file below folder (absolute paths);
// hidden entries are not listed.
void collectFiles(const QString &folder, QStringList &list);

// The path of a new zip archive for the entries, in the temporary folder:
// "<base> yyyy-MM-dd at hh.mm.ss.zip", with "<holding folder>_N" as the base
// while a file of that name exists.
QString archiveFileName(const QStringList &files,
                        const QDateTime &now = QDateTime::currentDateTime());

// Writes the entries into a new zip archive: a file as an entry named after
// the file alone, a folder with everything below it under names that start
// with the folder's own name. progress(done, total) is called now and then;
// stop() is polled and ends the writing early. Returns false with *error set
// on any failure (and when stopped).
bool writeZipArchive(const QString &zipPath, const QStringList &entries,
                     const std::function<void(qint64 done, qint64 total)> &progress,
                     const std::function<bool()> &stop, QString *error);

// The share page (or mail link) for an after-upload action, empty for none.
QString shareUrlFor(int afterAction, const QString &link);
