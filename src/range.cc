// The byte range to copy: offsets from text, and the rule that settles them.
#include "range.h"

#include <stdlib.h>

off_t file_size(const struct stat &st)
{
	return S_ISREG(st.st_mode) && st.st_size > 0 ? st.st_size
						     : unknown_size;
}

off_t parse_offset(const char *text)
{
	return text == nullptr ? 0 : strtoll(text, nullptr, 10);
}

struct byte_range settle_range(off_t start, off_t end, off_t size)
{
	if (size == unknown_size)
		return {start, end > start ? end : end_of_data};
	if (end <= start || end > size)
		end = size;
	if (start > end)
		start = end;
	return {start, end};
}
