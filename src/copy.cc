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

// Reads up to count bytes into buf, retrying a read that a signal cut short.
static ssize_t read_some(int fd, char *buf, off_t count)
{
	ssize_t len;
	do
		len = read(fd, buf, static_cast<size_t>(count));
	while (len < 0 && errno == EINTR);
	return len;
}

// Moves fd to offset start; where fd cannot seek, reads and drops the bytes
// before start through buf. Returns the offset reached, which is below start
// when the data ends first, or -1 with errno set.
static off_t seek_to(int fd, off_t start, char *buf, off_t buf_size)
{
	if (lseek(fd, start, SEEK_SET) >= 0)
		return start;
	if (errno != ESPIPE)
		return -1;
	off_t cur = 0;
	while (cur < start) {
		off_t rest = start - cur;
		ssize_t len =
			read_some(fd, buf, rest < buf_size ? rest : buf_size);
		if (len <= 0)
			return len < 0 ? -1 : cur;
		cur += len;
	}
	return cur;
}

int copy_range(int fd, const char *path, struct byte_range range)
{
	char copy_buf[1000];
	off_t len_to_read = sizeof copy_buf;

	off_t cur = seek_to(fd, range.start, copy_buf, len_to_read);
	if (cur < 0)
		return read_error(path);
	if (cur < range.start)
		return exit_ok;
	if (range.end - cur < len_to_read)
		len_to_read = range.end - cur;
	for (;;) {
		ssize_t len = read_some(fd, copy_buf, len_to_read);
		if (len < 0)
			return read_error(path);
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
