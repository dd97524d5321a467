// Exit statuses of rangecat, named in one place.
#ifndef RANGECAT_EXIT_STATUS_H
#define RANGECAT_EXIT_STATUS_H

enum exit_status {
	exit_ok = 0,       // the range was written, also when it is empty
	exit_read = 1,     // the file could not be opened or read, or no memory
	exit_stat = 2,     // stat failed on the path
	exit_write = 3,    // writing standard output failed
	exit_usage = 255,  // a bad command line
};

#endif
