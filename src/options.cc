// Command line of rangecat: two options with values and one operand.
#include "options.h"

#include <err.h>
#include <errno.h>
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
static char tool_name[] = "rangecat";

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
		warnx("out of memory");
		exit(exit_read);
	}
	free(*setting);
	*setting = copy;
}

bool read_options(int argc, char *argv[])
{
	if (argc > 0 && argv[0] != nullptr)
		progname = argv[0];
	// Every "rangecat: ..." message goes through warn(3), which names the
	// program by this. It is fixed, not taken from argv[0], so that
	// scripts can match the lines however the tool was invoked.
	program_invocation_short_name = tool_name;
	int c;
	while ((c = getopt_long(argc, argv, short_options, long_options,
				nullptr)) != -1) {
		switch (c) {
		case 's':
			store(&start_s, optarg);
			break;
		case 'e':
			store(&end_s, optarg);
			break;
		default:
			// An unknown option, or one without its value: getopt
			// has said so on stderr, and the run goes on without
			// it. The command line has always been this lenient,
			// and only the count of operands ends a run here.
			break;
		}
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

// The usage line is a command to type again, so it names the program as it
// was invoked, as the option parser's own lines do, where the tool's other
// messages say "rangecat:".
void usage(const char *line)
{
	fprintf(stderr, line, progname);
	exit(exit_usage);
}
