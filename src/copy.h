// Reading the input and writing standard output.
#ifndef RANGECAT_COPY_H
#define RANGECAT_COPY_H

#include <sys/stat.h>

#include "range.h"

// The most bytes one read asks for.
constexpr off_t chunk_size = 1000;

// The size of the input that fd, described by st, reads: for a block device,
// whose size stat does not give, the size the device reports; otherwise
// file_size(st).
off_t input_size(int fd, const struct stat *st);

// Gives a standard output that is not a terminal a buffer of 64 KiB, so that
// pipes and files get few, large writes; a terminal keeps libc's buffering.
void buffer_output();

// Writes the bytes of range from fd, which names path, to stdout, reading
// at most chunk_size bytes at a time counted from range.start. Stops early
// when the data ends. Reports a failure once on standard error and returns
// its exit status.
int copy_range(int fd, const char *path, byte_range range);

// Flushes and closes stdout; reports a failure unless status already says
// that writing failed. Returns status, or exit_write for a new failure.
int close_output(int status);

#endif
