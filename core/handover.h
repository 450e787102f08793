#pragma once
// Putting a downloaded program in place of the running one and starting it.

#include <QString>
#include <QStringList>

namespace pryx {

// The environment variable that tells a program started by a hand-over
// where to confirm that it came up.
inline const char *const kHandOverConfirmVariable = "PRYX_HANDOVER_CONFIRM";

// The files an update replaces: the program and its audio library.
QStringList programFileNames(const QString &programName);

// True when the two files have the same bytes.
bool sameFileContents(const QString &a, const QString &b);

// Puts each of names found in updateDir in place of the file of that name in
// programDir: copied to a temporary file beside the target, checked against
// the source, then renamed over the target. A file that is replaced is kept
// as "<name>.old". All or nothing: on failure every file is as before and
// error says why. replaced gets the names put in place.
bool replaceProgramFiles(const QString &updateDir, const QString &programDir,
                         const QStringList &names, QStringList *replaced, QString *error);
// Puts the kept ".old" files of names back in place.
void restoreProgramFiles(const QString &programDir, const QStringList &names);
// Removes the kept ".old" files of names.
void dropOldProgramFiles(const QString &programDir, const QStringList &names);

// Starts program detached with args and waits until it has written
// confirmFile (true), or has ended, or timeoutMs passed (false; a program
// still running then is ended).
bool startAndAwaitConfirmation(const QString &program, const QStringList &args,
                               const QString &confirmFile, int timeoutMs);

// Run by a program that a hand-over started, once it is up: the old files
// go and the program that started it is told.
void confirmHandOver(const QString &programDir, const QStringList &names);

} // namespace pryx
