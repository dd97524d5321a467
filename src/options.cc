// Command line of rangecat: two options with values and one operand.
#include "options.h"

#include <getopt.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "exit_status.h"

char *filename;
char *start_s;
char *end_s;

const char usg[] =
	"%s [-se] filename\n\t\ts   start bytes\n\t\te   end bytes\n";

static const char *progname = "rangecat";

static const char short_options[] = "s:e:";

static const struct option long_options[] = {
	{"start", required_argument, nullptr, 's'},
	{"end", required_argument, nullptr, 'e'},
	{nullptr, 0, nullptr, 0},
};

// Replaces *setting with a heap copy of arg.
static void store(char **setting, const char *arg)
{
	char *copy = strdup(arg);
	if (copy == nullptr) {
		fputs("rangecat: out of memory\n", stderr);
		exit(exit_read);
	}
	free(*setting);
	*setting = copy;
}

bool read_options(int argc, char *argv[])
{
	if (argc > 0 && argv[0] != nullptr)
		progname = argv[0];
	int c;
	while ((c = getopt_long(argc, argv, short_options, long_options,
				nullptr)) != -1) {
		if (c == 's')
			store(&start_s, optarg);
		else if (c == 'e')
			store(&end_s, optarg);
	}
	if (argc - optind != 1)
		return false;
	store(&filename, argv[optind]);
	return true;
}

void parse_options(int argc, char *argv[])
{
	if (!read_options(argc, argv))
		usage(usg);
}

void usage(const char *line)
{
	fprintf(stderr, line, progname);
	exit(exit_usage);
}
