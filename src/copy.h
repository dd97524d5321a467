// Copying a byte range of a file to standard output.
#ifndef RANGECAT_COPY_H
#define RANGECAT_COPY_H

#include "range.h"

// Writes the bytes of range from fd, which names path, to stdout, reading
// at most 1000 bytes at a time counted from range.start. Stops early when
// the data ends. Reports a failure once on standard error and returns its
// exit status.
int copy_range(int fd, const char *path, struct byte_range range);

// Flushes and closes stdout; reports a failure unless status already says
// that writing failed. Returns status, or exit_write for a new failure.
int close_output(int status);

#endif
