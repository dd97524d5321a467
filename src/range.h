// The byte range to copy: offsets from text, and the rule that settles them.
#ifndef RANGECAT_RANGE_H
#define RANGECAT_RANGE_H

#include <sys/types.h>

struct byte_range {
	off_t start;  // first byte copied
	off_t end;    // first byte not copied
};

// Turns an offset text into a number as atoi does (leading white space, one
// sign, decimal digits up to the first other character, 0 when there are
// none), saturating outside the 64-bit range. A null text gives 0.
off_t parse_offset(const char *text);

// Settles the range for a file of size bytes, given start >= 0: an end that
// is not beyond the start or lies past the end of the file becomes the size,
// and a start past the end of the file leaves an empty range at the end.
// The result satisfies 0 <= start <= end <= size.
struct byte_range settle_range(off_t start, off_t end, off_t size);

#endif
