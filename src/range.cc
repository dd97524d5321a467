// The byte range to copy: offsets from text, and the rule that settles them.
#include "range.h"

#include <stdlib.h>

off_t file_size(const struct stat *st)
{
	return S_ISREG(st->st_mode) && st->st_size > 0 ? st->st_size
						       : unknown_size;
}

// Offsets have always been read the way atoi reads them, and callers pass
// texts such as "100\n" or "12k" that a strict reader would refuse. strtoll
// keeps those rules and saturates where atoi's result would be undefined.
off_t parse_offset(const char *text)
{
	return text == nullptr ? 0 : strtoll(text, nullptr, 10);
}

// An end equal to the start is not an empty range: like a missing end (0), it
// means the end of the file. Scripts rely on -e 0 and -e START for that.
byte_range settle_range(off_t start, off_t end, off_t size)
{
	if (size == unknown_size)
		return {start, end > start ? end : end_of_data};
	if (end <= start || end > size)
		end = size;
	if (start > end)
		start = end;
	return {start, end};
}
