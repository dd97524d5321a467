// rangecat: writes one byte range of one file, unchanged, to standard output.
//
// What callers rely on, each kept on purpose:
// - the statuses of exit_status.h: 2 when the path cannot be reached, 1 when
//   the file cannot be opened or read, 3 when the output cannot be written,
//   255 for a bad command line, checked in that order: operands, path,
//   negative start, open, reads, writes; nothing on stdout when it fails
//   before the copy, and one line of its own on stderr for each failure
//   that has one. The bytes read before a failed read are still flushed,
//   and when that fails too both lines stand and the status is 3: the
//   output is then short for both reasons, and 3 says it was not written;
// - "not found: PATH \n", word for word, for every failure of stat;
// - no message when the open fails;
// - the range rule and the atoi reading of offsets (range.cc), the pattern
//   of reads (copy.cc), and the lenient command line (options.cc).
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
