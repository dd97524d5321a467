// Command line of rangecat: rangecat [-s START] [-e END] FILE.
#ifndef RANGECAT_OPTIONS_H
#define RANGECAT_OPTIONS_H

// Heap copies of the arguments; start_s and end_s stay null when their
// option is not given.
extern char *filename;
extern char *start_s;
extern char *end_s;

extern const char usg[];

// Reads the options and operands of argv into the settings above. Returns
// true when there is exactly one operand, which then is in filename.
bool read_options(int argc, char *argv[]);

// Like read_options, but ends the process through usage unless there is
// exactly one operand.
void parse_options(int argc, char *argv[]);

// Writes line, a format with one %s for the program's name, to standard
// error and exits with status 255.
[[noreturn]] void usage(const char *line);

#endif
