// rangecat: writes one byte range of one file, unchanged, to standard output.
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include "copy.h"
#include "exit_status.h"
#include "options.h"
#include "range.h"

// Gives a standard output that is not a terminal a buffer large enough that
// pipes and files get few, large writes; a terminal keeps libc's buffering.
static void buffer_output()
{
#if RANGECAT_OUTPUT_BUFFER > 0
	static char out_buf[RANGECAT_OUTPUT_BUFFER];
	if (!isatty(STDOUT_FILENO))
		setvbuf(stdout, out_buf, _IOFBF, sizeof out_buf);
#endif
}

int main(int argc, char *argv[])
{
	parse_options(argc, argv);

	struct stat st;
	if (stat(filename, &st) != 0) {
		fprintf(stderr, "not found: %s \n", filename);
		return exit_stat;
	}
	off_t start = parse_offset(start_s);
	if (start < 0) {
		fprintf(stderr, "rangecat: negative start: %lld\n",
			static_cast<long long>(start));
		return exit_usage;
	}
	struct byte_range range =
		settle_range(start, parse_offset(end_s), file_size(st));

	int fd = open(filename, O_RDONLY);
	if (fd < 0)
		return exit_read;
	buffer_output();
	int status = copy_range(fd, filename, range);
	close(fd);
	return close_output(status);
}
