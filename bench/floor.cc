// The floor of a copy: the 1000-byte reads alone. Usage: floor START END FILE
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

int main(int argc, char *argv[])
{
	if (argc != 4)
		return 255;
	off_t cur = strtoll(argv[1], nullptr, 10);
	off_t end = strtoll(argv[2], nullptr, 10);
	int fd = open(argv[3], O_RDONLY);
	if (fd < 0 || lseek(fd, cur, SEEK_SET) < 0)
		return 1;
	char buf[1000];
	off_t want = sizeof buf;
	for (;;) {
		if (end - cur < want)
			want = end - cur;
		ssize_t len = read(fd, buf, static_cast<size_t>(want));
		if (len <= 0)
			return len < 0;
		cur += len;
	}
}
