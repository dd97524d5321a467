#!/bin/bash
# The man page a user gets against the tool's usage text and the code: its
# options, exit statuses, version and where it sends bugs. The documents'
# tables and commands against the files that hold what they tell: the
# CMake declared, the quick start that CI runs (its one code block, tagged
# sh), the exit statuses of the code, the machines of the release and the
# CPUs they run on, the legs of CI and the tools of the suite; and no
# paragraph copied within or between the README, HACKING and RELEASING.
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
# The documents' tables and the Quick start's commands hold what these
# files hold; no paragraph of prose stands twice in the three documents.
# Each difference is a line of its own.
findings=$(python3 - "$src" <<'PYTHON'
import re, shlex, sys
src = sys.argv[1]
def read(name):
    return open(f"{src}/{name}", encoding="utf-8").read()
docs = {name: read(name) for name in ("README.md", "HACKING.md", "RELEASING.md")}
def section(doc, heading):
    parts = docs[doc].split(f"\n## {heading}\n", 1)
    if len(parts) < 2:
        print(f"{doc} has no section {heading}")
        return ""
    return parts[1].split("\n## ", 1)[0]
def table(doc, heading):
    """The first table of a section, a row a dict keyed by its header's cells."""
    lines = [line.strip().strip("|") for line in section(doc, heading).splitlines()
             if line.startswith("|") and not line.startswith("|---")]
    if not lines:
        print(f"{doc}'s section {heading} has no table")
        return []
    head = [cell.strip().strip("`") for cell in lines[0].split("|")]
    rows = []
    for line in lines[1:]:
        cells = [cell.strip() for cell in line.split("|")]
        if len(cells) != len(head):
            print(f"{doc}'s table in {heading}: {len(cells)} cells, want {len(head)}: {line[:40]}")
        rows.append(dict(zip(head, cells)))
    return rows
def ticked(cell):
    return re.findall(r"`([^`]*)`", cell or "")
def compare(what, got, want):
    for name in sorted(set(got) | set(want)):
        if got.get(name) != want.get(name):
            print(f"{what} {name}: {got.get(name)}, want {want.get(name)}")
# The quick start: one code block, tagged sh, that is .ci/quick-start.
fences = re.findall(r"^```([^\n]*)\n(.*?)^```", section("README.md", "Quick start"), re.S | re.M)
if [tag for tag, _ in fences] != ["sh"]:
    print(f"the README's quick start has code blocks tagged {[tag for tag, _ in fences]}, want one tagged sh")
elif fences[0][1] != read(".ci/quick-start"):
    print("the README's quick start is not .ci/quick-start")
# The exit statuses: the README's table and the code's enum, in order.
code = re.findall(r"^\s*exit_[a-z]+ = ([0-9]+),", read("src/exit_status.h"), re.M)
rows = [row.get("status") for row in table("README.md", "Exit status")]
if rows != code:
    print(f"the README's exit statuses: {rows}, src/exit_status.h: {code}")
# The machines of the release: the README's table of what users download,
# RELEASING's of the CPUs each binary runs on before a release.
machines, cpus = {}, {}
for line in read("packaging/machines").splitlines():
    if line and not line.startswith("#"):
        f = line.split()
        machines[f[4]] = [f[3].split(","), f[2], f[5] if f[6] == "rpm" else ""]
        cpus[f[2]] = f[8].split(",")
compare("the README's machine", {
    " ".join(ticked(row.get("ARCHIVE"))): [ticked(row.get("uname -m")), " ".join(ticked(row.get("DEB"))),
                                          " ".join(ticked(row.get("RPM")))]
    for row in table("README.md", "Install a release")}, machines)
compare("RELEASING's machine", {" ".join(ticked(row.get("DEB"))): ticked(row.get("CPUs under qemu-user"))
                               for row in table("RELEASING.md", "The machines")}, cpus)
# The legs of CI, with the user the tests run as and the checks they run.
legs = {}
for line in read(".ci/legs").splitlines():
    if line and not line.startswith("#"):
        f = shlex.split(line)
        legs[f[0]] = ["root" if f[1] == "root" else "an unprivileged user",
                      {"all": "all", "release": "all, in the release's build"}.get(f[3], "the build's")]
compare("HACKING's leg", {" ".join(ticked(row.get("leg"))): [row.get("tests run as"), row.get("checks")]
                          for row in table("HACKING.md", "CI")}, legs)
# The tools of the suite, with their packages and the checks that need them.
checks, tools = {}, {}
for line in read("tests/inventory").splitlines():
    f = line.split()
    if f[:1] == ["check"]:
        checks[f[1]] = f[3:]
    elif f[:1] == ["tool"]:
        tools[f[1]] = [f[2], sorted(c for c, needs in checks.items() if f[1] in needs)]
compare("HACKING's tool", {" ".join(ticked(row.get("tool"))): [
    " ".join(ticked(row.get("Debian package"))),
    sorted(c for c in ticked(row.get("what needs it")) if c in checks)]
    for row in table("HACKING.md", "The suite")}, tools)
# A paragraph: a run of prose lines, outside code blocks, tables, lists and
# headings, of ten words or more.
seen = {}
for doc, text in docs.items():
    text = re.sub(r"^```.*?^```", "", text, flags=re.S | re.M)
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
