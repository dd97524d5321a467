// Fuzzes offset parsing and the range rule against plain models of both.
// Input: START TEXT, NUL, END TEXT, NUL, then up to 8 bytes of file size.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "range.h"

// atoi's reading of text, saturated to 64 bits, done the long way.
static off_t model_offset(const char *p)
{
	while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
		p++;
	bool negative = *p == '-';
	if (*p == '-' || *p == '+')
		p++;
	__int128 v = 0;
	for (; *p >= '0' && *p <= '9'; p++)
		if (v <= INT64_MAX)
			v = v * 10 + (*p - '0');
	if (negative)
		v = -v;
	if (v > INT64_MAX)
		return INT64_MAX;
	if (v < INT64_MIN)
		return INT64_MIN;
	return static_cast<off_t>(v);
}

static void check(bool ok)
{
	if (!ok)
		abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
	std::string in(reinterpret_cast<const char *>(data), size);
	size_t a = in.find('\0');
	size_t b = a == std::string::npos ? a : in.find('\0', a + 1);
	std::string start_text = in.substr(0, a);
	std::string end_text =
		a == std::string::npos ? "" : in.substr(a + 1, b - a - 1);
	uint64_t raw_size = 0;
	if (b != std::string::npos)
		memcpy(&raw_size, in.data() + b + 1,
		       in.size() - b - 1 < 8 ? in.size() - b - 1 : 8);

	off_t start = parse_offset(start_text.c_str());
	off_t end = parse_offset(end_text.c_str());
	check(start == model_offset(start_text.c_str()));
	check(end == model_offset(end_text.c_str()));
	if (start < 0)
		return 0;  // refused before the range rule

	off_t file = static_cast<off_t>(raw_size >> 1);
	if (raw_size & 1)
		file = unknown_size;
	byte_range r = settle_range(start, end, file);
	if (file == unknown_size) {
		check(r.start == start);
		check(r.end == (end > start ? end : end_of_data));
		return 0;
	}
	check(0 <= r.start && r.start <= r.end && r.end <= file);
	off_t want_end = end > start && end <= file ? end : file;
	check(r.end == want_end);
	check(r.start == (start < want_end ? start : want_end));
	return 0;
}
