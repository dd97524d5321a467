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

// Whether value can be what getopt_long gives the option with the short
// name letter and the long name name in args: the rest of a short option
// cluster after letter, the argument after a cluster that ends in letter,
// or the value of --PREFIX=VALUE or of --PREFIX VALUE, where PREFIX begins
// name. Every place the option may stand counts, so that the check needs
// no model of getopt's permutation.
static bool value_of(const char *value, char letter, const std::string &name,
		     const std::vector<std::string> &args)
{
	for (size_t i = 1; i < args.size(); i++) {
		const std::string &a = args[i];
		const std::string *next = i + 1 < args.size() ? &args[i + 1] : nullptr;
		if (a.size() < 2 || a[0] != '-')
			continue;
		if (a[1] != '-') {
			for (size_t j = 1; j < a.size(); j++) {
				if (a[j] != letter)
					continue;
				if (j + 1 < a.size() ? a.compare(j + 1, std::string::npos, value) == 0
						     : next && *next == value)
					return true;
			}
			continue;
		}
		size_t eq = a.find('=');
		std::string prefix = a.substr(2, eq == std::string::npos ? eq : eq - 2);
		if (prefix.empty() || name.compare(0, prefix.size(), prefix) != 0)
			continue;
		if (eq != std::string::npos ? a.compare(eq + 1, std::string::npos, value) == 0
					    : next && *next == value)
			return true;
	}
	return false;
}

// Whether value is one of args.
static bool is_arg(const char *value, const std::vector<std::string> &args)
{
	for (const auto &a : args)
		if (a == value)
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
		check(is_arg(filename, kept));
	if (start_s)
		check(value_of(start_s, 's', "start", kept));
	if (end_s)
		check(value_of(end_s, 'e', "end", kept));
	return 0;
}
