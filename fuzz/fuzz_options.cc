// Fuzzes option reading over argument vectors: NUL-separated arguments.
#include <getopt.h>
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "options.h"

static void check(bool ok)
{
	if (!ok)
		abort();
}

// Whether value is the whole or the tail of one of args.
static bool tail_of_arg(const char *value, const std::vector<std::string> &args)
{
	size_t n = strlen(value);
	for (const auto &a : args)
		if (a.size() >= n && a.compare(a.size() - n, n, value) == 0)
			return true;
	return false;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
	std::vector<std::string> args{"rangecat"};
	std::string in(reinterpret_cast<const char *>(data), size);
	for (size_t at = 0; at <= in.size() && args.size() < 32;) {
		size_t nul = in.find('\0', at);
		if (nul == std::string::npos)
			nul = in.size();
		args.push_back(in.substr(at, nul - at));
		at = nul + 1;
	}
	std::vector<std::string> kept = args;
	std::vector<char *> argv;
	for (auto &a : args)
		argv.push_back(&a[0]);
	argv.push_back(nullptr);

	for (char **s : {&filename, &start_s, &end_s}) {
		free(*s);
		*s = nullptr;
	}
	optind = 0;
	opterr = 0;
	bool one = read_options(static_cast<int>(argv.size() - 1), argv.data());

	check(one == (filename != nullptr));
	if (one)
		check(tail_of_arg(filename, kept));
	if (start_s)
		check(tail_of_arg(start_s, kept));
	if (end_s)
		check(tail_of_arg(end_s, kept));
	return 0;
}
