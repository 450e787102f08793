#pragma once
// Opening a file for the library without ever waiting on it.

#include <cstdio>
#include <string>

namespace pryx::audiolib {

// Opens path as a stream only when it is a regular file. The open itself
// does not wait: a FIFO would block it until a writer comes, and a device
// may never end. For writing the file is created or emptied. Null with why
// set on failure.
FILE *openRegular(const char *path, bool forWriting, std::string *why);

} // namespace pryx::audiolib
