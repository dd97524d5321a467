// The byte range to copy: offsets from text, and the rule that settles them.
#ifndef RANGECAT_RANGE_H
#define RANGECAT_RANGE_H

#include <stdint.h>
#include <sys/stat.h>
#include <sys/types.h>

struct byte_range {
	off_t start;  // first byte copied
	off_t end;    // first byte not copied
};

// The size of a file that stat cannot tell: anything but a regular file, or a
// regular file of size 0, as the files of /proc are.
constexpr off_t unknown_size = -1;

// The end of a range that runs to wherever the data ends.
constexpr off_t end_of_data = INT64_MAX;

// The size of the file st describes, or unknown_size.
off_t file_size(const struct stat *st);

// Turns an offset text into a number as atoi does (leading white space, one
// sign, decimal digits up to the first other character, 0 when there are
// none), saturating outside the 64-bit range. A null text gives 0.
off_t parse_offset(const char *text);

// Settles the range for a file of size bytes, given start >= 0: an end that
// is not beyond the start or lies past the end of the file becomes the size,
// and a start past the end of the file leaves an empty range at the end, so
// that 0 <= start <= end <= size. When the size is unknown_size, an end that
// is not beyond the start becomes end_of_data.
byte_range settle_range(off_t start, off_t end, off_t size);

#endif
