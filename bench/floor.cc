// The floor of a copy as rangecat's design makes it: reads of 1000 bytes,
// each written with one fwrite into a 64 KiB stdio buffer.
// Usage: floor START END FILE
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

static char out_buf[65536];

int main(int argc, char *argv[])
{
	if (argc != 4)
		return 255;
	off_t cur = strtoll(argv[1], nullptr, 10);
	off_t end = strtoll(argv[2], nullptr, 10);
	int fd = open(argv[3], O_RDONLY);
	if (fd < 0 || lseek(fd, cur, SEEK_SET) < 0)
		return 1;
	setvbuf(stdout, out_buf, _IOFBF, sizeof out_buf);
	char buf[1000];
	off_t want = sizeof buf;
	for (;;) {
		if (end - cur < want)
			want = end - cur;
		ssize_t len = read(fd, buf, static_cast<size_t>(want));
		if (len <= 0)
			return len < 0 || fclose(stdout) != 0;
		cur += len;
		fwrite(buf, static_cast<size_t>(len), 1, stdout);
	}
}
