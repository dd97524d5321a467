// Reading the input and writing standard output.
#include "copy.h"

#include <err.h>
#include <errno.h>
#include <stdio.h>
#include <unistd.h>

#include "exit_status.h"

static int read_error(const char *path)
{
	warn("%s", path);
	return exit_read;
}

static int write_error()
{
	warn("write error");
	return exit_write;
}

off_t input_size(int fd, const struct stat *st)
{
	if (!S_ISBLK(st->st_mode))
		return file_size(st);
	off_t size = lseek(fd, 0, SEEK_END);
	return size < 0 ? unknown_size : size;
}

static char out_buf[65536];

void buffer_output()
{
	if (!isatty(STDOUT_FILENO))
		setvbuf(stdout, out_buf, _IOFBF, sizeof out_buf);
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

int copy_range(int fd, const char *path, byte_range range)
{
	char copy_buf[chunk_size];
	off_t cur = seek_to(fd, range.start, copy_buf, sizeof copy_buf);
	if (cur < 0)
		return read_error(path);
	if (cur < range.start)
		return exit_ok;  // the data ended before the start

	// Reads ask chunk_size bytes counted from the start, then exactly the
	// rest; the count never grows back after a short read. When the range
	// is done the count is 0, and that read's 0 ends the loop, as the end
	// of the data does. Callers have tuned to this pattern of reads on
	// devices and kernel files, where the size of a read can matter.
	off_t len_to_read = chunk_size;
	for (;;) {
		if (range.end - cur < len_to_read)
			len_to_read = range.end - cur;
		ssize_t len = read_some(fd, copy_buf, len_to_read);
		if (len < 0)
			return read_error(path);
		if (len == 0)
			return exit_ok;
		cur += len;
		if (fwrite(copy_buf, static_cast<size_t>(len), 1, stdout) != 1)
			return write_error();
	}
}

int close_output(int status)
{
	if (fclose(stdout) != 0 && status != exit_write)
		return write_error();
	return status;
}
