// The byte range to copy: offsets from text, and the rule that settles them.
#include "range.h"

#include <stdlib.h>

off_t parse_offset(const char *text)
{
	return text == nullptr ? 0 : strtoll(text, nullptr, 10);
}

struct byte_range settle_range(off_t start, off_t end, off_t size)
{
	if (end <= start || end > size)
		end = size;
	if (start > end)
		start = end;
	return {start, end};
}
