#!/bin/bash
# The man page a user gets against the tool's usage text and the code: its
# options, exit statuses, version and where it sends bugs. The documents
# against the files that hold what they tell: the CMake declared, the
# quick start that CI runs, the machines of the release, the legs of CI
# and the tools of the suite; and no paragraph copied within or between
# the README, HACKING and RELEASING.
# Usage: docs.sh BINARY [BUILD_DIR]: the page is the build's, or, without a
# build, the one installed beside BINARY (PREFIX/share/man/man1).
src=$(cd "$(dirname "$0")/.." && pwd)
build=${2:+$(realpath "$2")}
installed_page=$(dirname "$1")/../share/man/man1/rangecat.1.gz
# shellcheck source=tests/lib.sh
. "$(dirname "$0")/lib.sh"
version=$(sed -nE 's/^project\(rangecat VERSION ([0-9.]+).*/\1/p' "$src/CMakeLists.txt")

if [ -n "$build" ]; then
	page=$build/rangecat.1
else
	page=$tmp/rangecat.1
	gzip -dc "$installed_page" >"$page" 2>/dev/null ||
		{ fail "no man page installed beside $1: $installed_page"; finish; exit; }
fi

usage_letters=$(rangecat 2>&1 | sed -nE '1s/.*\[-([a-z]+)\].*/\1/p')
page_letters=$(sed -n '/^\.Sh SYNOPSIS/,/^\.Sh/s/^\.Op Fl \([a-z]\).*/\1/p' "$page" | tr -d '\n')
same 'options in the synopsis and the usage text' "$page_letters" "$usage_letters"
page_codes=$(sed -n '/^\.Sh EXIT STATUS/,/^\.Sh/s/^\.It \([0-9]*\)$/\1/p' "$page" | xargs)
code_codes=$(sed -nE 's/^\s*exit_[a-z]+ = ([0-9]+),.*/\1/p' "$src/src/exit_status.h" | xargs)
same 'exit statuses of the page and the code' "$page_codes" "$code_codes"
same 'version on the page' "$(sed -n 's/^\.Os rangecat //p' "$page")" "$version"
same 'version in the changelog' \
	"$(sed -nE '1s/^rangecat \(([^)]*)\).*/\1/p' "$src/packaging/changelog")" "$version"
if [ -n "$build" ]; then
	same 'where the man page sends bugs' "$(bugs_in "$page")" \
		"$(bugs_want "$(sed -n 's/^RANGECAT_HOMEPAGE:[A-Z]*=//p' "$build/CMakeCache.txt")")"
else
	# An installed page names the home page its packager set, or none.
	bugs=$(bugs_in "$page" | sed -E '2s/^\.Lk [^ ]+ ,$/.Lk URL ,/')
	case $bugs in
	"$(bugs_want '')" | "$(bugs_want URL)") passed=$((passed + 1)) ;;
	*) fail "where the installed man page sends bugs: '$bugs'" ;;
	esac
fi
cmake_min=$(sed -n 's/^cmake_minimum_required(VERSION \([0-9.]*\))$/\1/p' "$src/CMakeLists.txt")
for doc in README.md HACKING.md; do
	same "the CMake that $doc names first, and the one declared" \
		"$(grep -oE -m1 'CMake [0-9.]+ or later' "$src/$doc")" "CMake $cmake_min or later"
done
# The README's tables and commands, and HACKING's table, hold what these
# files hold; no paragraph of prose stands twice in the three documents.
# Each difference is a line of its own.
findings=$(python3 - "$src" <<'PYTHON'
import re, shlex, sys
src = sys.argv[1]
def read(name):
    return open(f"{src}/{name}", encoding="utf-8").read()
def section(text, heading):
    return text.split(f"\n## {heading}\n", 1)[1].split("\n## ", 1)[0]
def table(text):
    return [[c.strip() for c in line.strip("|").split("|")]
            for line in text.splitlines() if line.startswith("| ") and not line.startswith("| ---")][1:]
def ticked(cell):
    return re.findall(r"`([^`]*)`", cell)
readme, hacking = read("README.md"), read("HACKING.md")
code = re.findall(r"^```sh\n(.*?)^```", section(readme, "Quick start"), re.S | re.M)
if code and code[0] != read(".ci/quick-start"):
    print("the README's quick start is not .ci/quick-start")
machines = {}
for line in read("packaging/machines").splitlines():
    if line and not line.startswith("#"):
        f = line.split()
        machines[f[4]] = [f[3].split(","), f[2], f[5] if f[6] == "rpm" else "", f[8].split(",")]
rows = {}
for row in table(section(readme, "Install a release")):
    rows[" ".join(ticked(row[2]))] = [ticked(row[0]), " ".join(ticked(row[3])),
                                     " ".join(ticked(row[4])), ticked(row[5])]
for name in sorted(set(machines) | set(rows)):
    if machines.get(name) != rows.get(name):
        print(f"the README's machine {name}: {rows.get(name)}, packaging/machines: {machines.get(name)}")
legs = {}
for line in read(".ci/legs").splitlines():
    if line and not line.startswith("#"):
        f = shlex.split(line)
        legs[f[0]] = ["root" if f[1] == "root" else "an unprivileged user",
                      {"all": "all", "release": "all, in the release's build"}.get(f[3], "the build's")]
rows = {" ".join(ticked(row[0])): row[5:7] for row in table(section(readme, "Where it is built and tested"))}
for name in sorted(set(legs) | set(rows)):
    if legs.get(name) != rows.get(name):
        print(f"the README's leg {name}: {rows.get(name)}, .ci/legs: {legs.get(name)}")
checks, tools = {}, {}
for line in read("tests/inventory").splitlines():
    f = line.split()
    if f[:1] == ["check"]:
        checks[f[1]] = f[3:]
    elif f[:1] == ["tool"]:
        tools[f[1]] = [f[2], sorted(c for c, needs in checks.items() if f[1] in needs)]
rows = {}
for row in table(section(hacking, "Testing")):
    rows[" ".join(ticked(row[0]))] = [" ".join(ticked(row[1])),
                                     sorted(c for c in ticked(row[2]) if c in checks)]
for name in sorted(set(tools) | set(rows)):
    if tools.get(name) != rows.get(name):
        print(f"HACKING's tool {name}: {rows.get(name)}, tests/inventory: {tools.get(name)}")
# A paragraph: a run of prose lines, outside code blocks, tables, lists and
# headings, of ten words or more.
seen = {}
for doc in ("README.md", "HACKING.md", "RELEASING.md"):
    text = re.sub(r"^```.*?^```", "", read(doc), flags=re.S | re.M)
    for para in re.split(r"\n\s*\n", text):
        if re.match(r"\s*([|#]|- |[0-9]+\. )", para):
            continue
        words = " ".join(para.split())
        if len(words.split()) < 10:
            continue
        if words in seen:
            print(f"a paragraph of {doc} stands in {seen[words]} too: {words[:60]}...")
        seen.setdefault(words, doc)
PYTHON
) || framework_failure_ 'python3 on the documents'
report '' "$findings"
quick=$(sed -n '/^## Quick start/,/^## /s/.*&& build\/rangecat //p' "$src/README.md")
# shellcheck disable=SC2086
same 'the quick start ends its output with a newline' \
	"$(cd "$src" && rangecat $quick | tail -c 1 | od -An -tx1 | xargs)" 0a

finish
