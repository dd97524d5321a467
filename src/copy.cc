// Copying a byte range of a file to standard output.
#include "copy.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include "exit_status.h"

static int read_error(const char *path)
{
	fprintf(stderr, "rangecat: %s: %s\n", path, strerror(errno));
	return exit_read;
}

static int write_error()
{
	fprintf(stderr, "rangecat: write error: %s\n", strerror(errno));
	return exit_write;
}

int copy_range(int fd, const char *path, struct byte_range range)
{
	char copy_buf[1000];
	off_t len_to_read = sizeof copy_buf;

	if (lseek(fd, range.start, SEEK_SET) < 0)
		return read_error(path);
	off_t cur = range.start;
	if (range.end - cur < len_to_read)
		len_to_read = range.end - cur;
	for (;;) {
		ssize_t len =
			read(fd, copy_buf, static_cast<size_t>(len_to_read));
		if (len < 0) {
			if (errno == EINTR)
				continue;
			return read_error(path);
		}
		if (len == 0)
			break;
		cur += len;
		if (fwrite(copy_buf, static_cast<size_t>(len), 1, stdout) != 1)
			return write_error();
		if (range.end - cur < len_to_read)
			len_to_read = range.end - cur;
	}
	return exit_ok;
}

int close_output(int status)
{
	if (fclose(stdout) != 0 && status != exit_write)
		return write_error();
	return status;
}
