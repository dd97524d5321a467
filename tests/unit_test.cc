// Unit tests of offset parsing, the range rule and option reading.
#include <getopt.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "options.h"
#include "range.h"

TEST(ParseOffset, FollowsAtoiAndSaturates)
{
	const struct {
		const char *text;
		off_t value;
	} cases[] = {
		{nullptr, 0},
		{"", 0},
		{"100", 100},
		{"  \t\n42", 42},
		{"+7", 7},
		{"-5", -5},
		{"12k", 12},
		{"0x10", 0},
		{"abc", 0},
		{"- 5", 0},
		{"--5", 0},
		{"4294967296", 4294967296},
		{"9223372036854775807", INT64_MAX},
		{"9223372036854775808", INT64_MAX},
		{"99999999999999999999999", INT64_MAX},
		{"-9223372036854775808", INT64_MIN},
		{"-99999999999999999999999", INT64_MIN},
	};
	for (const auto &c : cases)
		EXPECT_EQ(parse_offset(c.text), c.value)
			<< (c.text ? c.text : "(null)");
}

TEST(SettleRange, ClampsToTheFile)
{
	const struct {
		off_t start, end, size, want_start, want_end;
	} cases[] = {
		{0, 0, 1000, 0, 1000},         // no end: whole file
		{100, 0, 1000, 100, 1000},     // start only
		{0, 100, 1000, 0, 100},        // end only
		{100, 300, 1000, 100, 300},    // inside the file
		{100, 50, 1000, 100, 1000},    // end before start
		{100, 100, 1000, 100, 1000},   // end at start
		{100, 5000, 1000, 100, 1000},  // end past the file
		{0, -5, 1000, 0, 1000},        // negative end
		{0, 1000, 1000, 0, 1000},      // end at the size
		{1000, 0, 1000, 1000, 1000},   // start at the size
		{2000, 0, 1000, 1000, 1000},   // start past the file
		{2000, 3000, 1000, 1000, 1000},
		{0, 0, 0, 0, 0},  // empty file
		{INT64_MAX, INT64_MAX, 1000, 1000, 1000},
		{0, INT64_MAX, 5368709120, 0, 5368709120},
		{2147483647, 4294967297, 5368709120, 2147483647, 4294967297},
		{0, 0, unknown_size, 0, end_of_data},
		{100, 0, unknown_size, 100, end_of_data},
		{100, 100, unknown_size, 100, end_of_data},
		{100, 50, unknown_size, 100, end_of_data},
		{100, 101, unknown_size, 100, 101},
		{0, 5368709120, unknown_size, 0, 5368709120},
	};
	for (const auto &c : cases) {
		byte_range r = settle_range(c.start, c.end, c.size);
		EXPECT_EQ(r.start, c.want_start)
			<< c.start << " " << c.end << " " << c.size;
		EXPECT_EQ(r.end, c.want_end)
			<< c.start << " " << c.end << " " << c.size;
	}
}

TEST(FileSize, IsUnknownUnlessARegularFileHasBytes)
{
	const struct {
		mode_t mode;
		off_t size, want;
	} cases[] = {
		{S_IFREG, 1000, 1000},
		{S_IFREG, 5368709120, 5368709120},
		{S_IFREG, 0, unknown_size},
		{S_IFIFO, 0, unknown_size},
		{S_IFCHR, 0, unknown_size},
		{S_IFBLK, 0, unknown_size},
		{S_IFDIR, 4096, unknown_size},
		{S_IFSOCK, 0, unknown_size},
	};
	for (const auto &c : cases) {
		struct stat st = {};
		st.st_mode = c.mode | 0644;
		st.st_size = c.size;
		EXPECT_EQ(file_size(&st), c.want) << c.mode << " " << c.size;
	}
}

// Runs read_options on args from a clean state; args[0] is the program name.
static bool read_args(std::initializer_list<const char *> args)
{
	for (char **s : {&filename, &start_s, &end_s}) {
		free(*s);
		*s = nullptr;
	}
	std::vector<std::string> store(args.begin(), args.end());
	std::vector<char *> argv;
	for (auto &s : store)
		argv.push_back(&s[0]);
	argv.push_back(nullptr);
	optind = 0;
	opterr = 0;
	return read_options(static_cast<int>(store.size()), argv.data());
}

static std::string str(const char *s)
{
	return s ? s : "(null)";
}

TEST(ReadOptions, AcceptsEveryOptionForm)
{
	const struct {
		std::initializer_list<const char *> args;
		const char *start, *end, *file;
	} cases[] = {
		{{"rc", "f"}, nullptr, nullptr, "f"},
		{{"rc", "-s10", "f"}, "10", nullptr, "f"},
		{{"rc", "-s", "10", "f"}, "10", nullptr, "f"},
		{{"rc", "--start=10", "f"}, "10", nullptr, "f"},
		{{"rc", "--start", "10", "f"}, "10", nullptr, "f"},
		{{"rc", "--st", "10", "f"}, "10", nullptr, "f"},
		{{"rc", "-e", "20", "--end=30", "f"}, nullptr, "30", "f"},
		{{"rc", "--e", "5", "f"}, nullptr, "5", "f"},
		{{"rc", "-s", "10", "-s", "20", "f"}, "20", nullptr, "f"},
		{{"rc", "f", "-s", "1", "-e", "2"}, "1", "2", "f"},
		{{"rc", "--", "-s"}, nullptr, nullptr, "-s"},
		{{"rc", "-x", "f"}, nullptr, nullptr, "f"},
		{{"rc", "f", "-s"}, nullptr, nullptr, "f"},
		{{"rc", "-s", "", "f"}, "", nullptr, "f"},
		{{"rc", "-s", "-e", "f"}, "-e", nullptr, "f"},
	};
	for (const auto &c : cases) {
		EXPECT_TRUE(read_args(c.args)) << c.file;
		EXPECT_EQ(str(start_s), str(c.start)) << c.file;
		EXPECT_EQ(str(end_s), str(c.end)) << c.file;
		EXPECT_EQ(str(filename), str(c.file));
	}
}

TEST(ReadOptions, RefusesOtherOperandCounts)
{
	EXPECT_FALSE(read_args({"rc"}));
	EXPECT_FALSE(read_args({"rc", "-s", "1"}));
	EXPECT_FALSE(read_args({"rc", "a", "b"}));
	EXPECT_FALSE(read_args({"rc", "--", "a", "-s"}));
}

#ifndef __has_feature
#define __has_feature(x) 0
#endif
#if !defined(__SANITIZE_ADDRESS__) && !__has_feature(address_sanitizer)
// Sanitizer runtimes define strdup themselves; elsewhere this one stands in
// for libc's, so that copies of arguments can be made to fail.
static bool strdup_fails;

extern "C" char *strdup(const char *s) noexcept
{
	if (strdup_fails)
		return nullptr;
	size_t n = strlen(s) + 1;
	char *copy = static_cast<char *>(malloc(n));
	return copy ? static_cast<char *>(memcpy(copy, s, n)) : nullptr;
}

TEST(ReadOptions, ReportsMemoryThatRunsOut)
{
	for (auto args : {std::initializer_list<const char *>{"rc", "f"},
			  {"rc", "-s", "1", "f"},
			  {"rc", "--end=2", "f"}})
		EXPECT_EXIT(
			{
				strdup_fails = true;
				read_args(args);
			},
			testing::ExitedWithCode(1),
			"^rangecat: out of memory\n$");
}
#endif
