// rangecat: writes one byte range of one file, unchanged, to standard output.
//
// main reads the command line (options.cc), reaches the path with stat,
// reads the offsets and settles the range against the file's size
// (range.cc), opens the file, copies the range (copy.cc) and returns the
// exit status (exit_status.h). Each step that fails ends the run with its
// own status, so the order of the steps below is part of the behaviour.
// The man page (man/rangecat.1) says what the tool does and what each
// status means; the README says how to build and install it.
#include <err.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include "copy.h"
#include "exit_status.h"
#include "options.h"
#include "range.h"

int main(int argc, char *argv[])
{
	parse_options(argc, argv);

	// stat comes first, so that a path that cannot be reached gives 2
	// whatever the options say. The line has no program name and ends
	// in a blank before the newline: scripts match it exactly as it has
	// always been written, so it does not go through warn().
	struct stat st;
	if (stat(filename, &st) != 0) {
		fprintf(stderr, "not found: %s \n", filename);
		return exit_stat;
	}
	// A negative start is refused before the file is opened: there is no
	// byte before the first one to start at.
	off_t start = parse_offset(start_s);
	if (start < 0) {
		warnx("negative start: %lld", static_cast<long long>(start));
		return exit_usage;
	}

	// A file that exists but cannot be opened gives 1 and no message;
	// callers tell it from "not found" by the status alone.
	int fd = open(filename, O_RDONLY);
	if (fd < 0)
		return exit_read;
	byte_range range =
		settle_range(start, parse_offset(end_s), input_size(fd, &st));
	buffer_output();
	int status = copy_range(fd, filename, range);
	close(fd);
	return close_output(status);
}
