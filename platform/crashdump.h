#pragma once
// Crash dump of the GUI thread: a fatal signal (SIGSEGV, SIGBUS, SIGILL,
// SIGFPE, SIGABRT) raised on the thread that installed the handler writes
// "pryx.dmp" and the signal is raised again, so the process ends by it.
// Other threads die the default way without a dump.
//
// Dump format (text, written with async-signal-safe calls only):
//   PRYX CRASH DUMP 1
//   signal: <number> <name>
//   code: <si_code>
//   address: 0x<fault address>
//   pid: <pid>
//   tid: <thread id>
//   time: <seconds since 1970-01-01 UTC>
//   version: <program version>
//   --- backtrace ---
//   <one frame per line, as backtrace_symbols_fd writes them>
//   --- maps ---
//   <copy of /proc/self/maps>
//   --- end ---

#include <QString>

namespace pryx {

// Installs the handler for the calling thread (the GUI thread) with an
// alternate signal stack, so a stack overflow is still reported. The path is
// copied here; later changes of the data folder do not move the dump.
bool installCrashHandler(const QString &dumpPath);
bool crashHandlerInstalled();

} // namespace pryx
