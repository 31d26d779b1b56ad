#!/usr/bin/env bash
# Stands in for the Visual Studio build's /W4 /WX, which nothing here can run. Configures the tree
# as a Windows build that is not cross-compiled would (cross-compiling off, the tests on, the
# Release configuration the workflow builds), with the clang toolchain, and has clang check every
# C++ file of the tree that this build compiles, the program's and the tests', syntax only, with
# the warnings below as errors. The mingw-w64, GoogleTest and nlohmann-json headers come in as
# system headers and are not checked; neither are GoogleTest's own sources, which are vcpkg's
# prebuilt library under Visual Studio. Three warnings clang has no flag for are looked for in the
# same files with clang-query (see queries.txt below). Prints each finding as clang gives it, the
# clang-query ones as file:line:col with the MSVC number, and exits 1 when there is one.
#   check-msvc-warnings.sh <scratch-dir>
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 <scratch-dir>" >&2; exit 2; }
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$1
rm -rf "$scratch"
mkdir -p "$scratch"
scratch=$(cd "$scratch" && pwd)
build=$scratch/as-on-windows
SECONDS=0

# Each clang warning stands for the MSVC /W4 warnings named beside it.
msvc_warnings=(
  -Wunreachable-code-aggressive       # C4702 unreachable code, also a loop increment never run
  -Wshadow-all                        # C4456-C4459 a local, parameter, member or global hidden
  -Wshorten-64-to-32                  # C4244, C4267 64 bits (size_t among them) into 32
  -Wimplicit-int-conversion           # C4244 an integer into a narrower one
  -Wimplicit-float-conversion         # C4244, C4305 double into float
  -Wfloat-conversion                  # C4244 a floating-point value into an integer
  -Wconstant-conversion               # C4309 a constant that does not fit its type
  -Wsign-compare                      # C4018, C4389 signed against unsigned
  -Wunused-variable                   # C4101, C4189 a local never used
  -Wunused-exception-parameter        # C4101 a catch's variable never used
  -Wunused-parameter                  # C4100
  -Wunused-function                   # C4505 a function of the file's own never used
  -Wuninitialized                     # C4700, C4701 used uninitialized, always or on a path
  -Wconditional-uninitialized         # C4701, C4703 may be used uninitialized
  -Wparentheses                       # C4706 an assignment as a condition; C4554 precedence
  -Wempty-body                        # C4390 if (...);
  -Wreturn-type                       # C4715 not every path returns a value
  -Wunused-value                      # C4552, C4555 an expression without effect
  -Winfinite-recursion                # C4717
  -Wmismatched-tags                   # C4099 declared a struct, defined a class
  -Wunknown-pragmas                   # C4068
  -Wdelete-abstract-non-virtual-dtor  # C5205
  -Wgnu-anonymous-struct              # C4201 a nameless struct
  -Wnested-anon-types                 # C4201 a nameless type in a nameless union
  -Werror
)
# Visual Studio accepts its own extensions. Every finding is shown, not only the first 20.
check_flags=(-fsyntax-only -fms-extensions -ferror-limit=0 "${msvc_warnings[@]}")

# The warnings must be this clang's: one offence for each, and -verify fails unless clang reports
# every one of them and nothing else. (Without -Werror: clang keeps back its unused-function
# warnings once an error has occurred.) The lines marked "reported as" are clang-query's, among
# look-alikes it must not report.
cat >"$scratch/offences.cpp" <<'EOF'
#pragma brisklow_unknown  // expected-warning {{unknown pragma ignored}}
struct Tagged;  // expected-note {{did you mean class here?}}
// expected-warning@+1 {{defined as a class here but previously declared as a struct}}
class Tagged {};
struct Abstract {
    virtual void F() = 0;
    ~Abstract();
};
void DeleteAbstract(Abstract* a) { delete a; }  // expected-warning {{non-virtual destructor}}
struct Nameless {
    union {
        // expected-warning@+2 {{anonymous structs are a GNU extension}}
        // expected-warning@+1 {{anonymous types declared in an anonymous union}}
        struct {
            int x;
        };
        int y;
    };
};
static void Unused() {}  // expected-warning {{unused function}}
int global;  // expected-note {{previous declaration}}
int Shadow() {
    int global = 1;  // expected-warning {{shadows a variable}}
    return global;
}
int Shorten(long long v) { return v; }  // expected-warning {{loses integer precision}}
short Narrow(int v) { return v; }  // expected-warning {{loses integer precision}}
float Single(double v) { return v; }  // expected-warning {{loses floating-point precision}}
int Truncate(double v) { return v; }  // expected-warning {{floating-point number into integer}}
char Constant() { return 300; }  // expected-warning {{changes value from 300}}
bool Less(int a, unsigned b) { return a < b; }  // expected-warning {{of different signs}}
void Local() { int v; }  // expected-warning {{unused variable}}
void Catch() { try { } catch (int e) { } }  // expected-warning {{unused exception parameter}}
void Parameter(int p) {}  // expected-warning {{unused parameter}}
// expected-warning@+1 {{uninitialized}} expected-note@+1 {{initialize}}
int Uninitialized() { int v; return v; }
// expected-warning@+1 {{may be uninitialized}} expected-note@+1 {{initialize}}
int Conditional(int n) { int v; for (int i = 0; i < n; ++i) v = i; return v; }
// expected-warning@+1 {{result of an assignment}} expected-note@+1 2 {{}}
bool Assign(int a) { if (a = 1) return true; return false; }
void Empty(int a) { if (a); }  // expected-warning {{empty body}} expected-note {{}}
// expected-warning@+1 {{does not return a value in all control paths}}
int Returns(int a) { if (a) return 1; }
void NoEffect(int a) { a + 1; }  // expected-warning {{expression result unused}}
void Forever() { Forever(); }  // expected-warning {{all paths through this function}}
// expected-warning@+1 {{loop will run at most once}}
int First(const int* b, const int* e) { for (; b != e; ++b) return *b; return 0; }
void Unreachable() { return; Forever(); }  // expected-warning {{will never be executed}}
unsigned Negate(unsigned u) { return -u; }  // reported as C4146
int NegateSigned(unsigned u) { return -static_cast<int>(u); }
unsigned AllBits() { return -1; }  // reported as C4245
void TakeUnsigned(unsigned u);
void PassNegative() { TakeUnsigned((-1)); }  // reported as C4245
unsigned One() { unsigned u = 1; return u; }
long long MinusOne() { return -1; }
unsigned Explicit() { return static_cast<unsigned>(-1); }
bool Truthy() { return -1; }
struct Sized {
    int width;  // expected-note {{previous declaration}}
    static int Twice(int width);
    static int Half(int size) { return size / 2; }
    static int Local() { int width = 3; return width; }  // reported as C4458
    int Grow(int width) { return width; }  // expected-warning {{shadows a field}}
};
int Sized::Twice(int width) { return 2 * width; }  // reported as C4458
EOF
clang++ --target=x86_64-w64-mingw32 -std=c++20 -Xclang -verify "${check_flags[@]}" \
  -Wno-error "$scratch/offences.cpp" ||
  { echo "check-msvc-warnings: clang does not report the offences above as expected" >&2; exit 1; }

# What clang has no warning for: each match binds what it reports under its MSVC number.
cat >"$scratch/queries.txt" <<'EOF'
set bind-root false
set output diag
# A unary minus whose result is unsigned: its operand was, after promotion.
match unaryOperator(hasOperatorName("-"), hasType(isUnsignedInteger()),
  unless(isExpansionInSystemHeader())).bind("C4146 unary minus on an unsigned value")
# A negative integer literal converted implicitly to an unsigned type other than bool.
match implicitCastExpr(hasType(isUnsignedInteger()), unless(hasType(booleanType())),
  hasSourceExpression(ignoringParens(unaryOperator(hasOperatorName("-"), hasType(isSignedInteger()),
    hasUnaryOperand(ignoringParens(integerLiteral()))))),
  unless(hasParent(explicitCastExpr())),
  unless(isExpansionInSystemHeader())).bind("C4245 negative constant converted to an unsigned type")
# A parameter or local of a static member function's definition, paired with each data member of
# its class; findings.awk keeps the pairs that share a name. (clang's -Wshadow-all covers the other
# member functions.) decl().bind names the variable before the inner matchers look for it.
enable output dump
match varDecl(decl().bind("C4458 declaration hides a data member"),
  unless(isExpansionInSystemHeader()), hasDeclContext(cxxMethodDecl(ofClass(cxxRecordDecl(
    has(cxxMethodDecl(isStaticStorageClass(), hasAnyBody(hasParent(cxxMethodDecl(
      hasDescendant(varDecl(equalsBoundNode("C4458 declaration hides a data member")))))))),
    forEach(fieldDecl().bind("member")))))))
EOF
cat >"$scratch/findings.awk" <<'EOF'
/ note: "C4[0-9]+ [^"]*" binds here$/ {
    where = $0; sub(/: note: .*/, "", where)
    what = $0; sub(/.* note: "/, "", what); sub(/" binds here$/, "", what)
    if (what !~ /^C4458/ && !seen[where what]++) { print where ": error: " what; found++ }
    next
}
# A dump's first line ends with the declaration's name, then its type in quotes.
/^Binding for "/ { binding = $3; next }
binding != "" {
    sub(/ '.*/, "")
    if (binding == "\"C4458") name = $NF
    else if ($NF == name && !seen[where what]++) { print where ": error: " what; found++ }
    binding = ""
}
END { exit found > 0 }
EOF
# clang-query must report each line of the snippet marked "reported as", with that number, and no
# other line.
clang-query -f "$scratch/queries.txt" "$scratch/offences.cpp" -- --target=x86_64-w64-mingw32 \
  -std=c++20 -fms-extensions -w | awk -f "$scratch/findings.awk" |
  sed -E 's/^[^:]*:([0-9]+):[0-9]+: error: (C4[0-9]+).*/\1 \2/' | sort >"$scratch/reported" || true
grep -no 'reported as C4[0-9]*' "$scratch/offences.cpp" | sed 's/:reported as / /' | sort |
  diff -u --label expected - "$scratch/reported" ||
  { echo "check-msvc-warnings: clang-query does not report the offences above as expected" >&2
    exit 1; }

cmake -S "$source_dir" -B "$build" -G Ninja --toolchain "$source_dir/cmake/mingw-w64-clang.cmake" \
  -DCMAKE_CROSSCOMPILING=OFF -DCMAKE_EXPORT_COMPILE_COMMANDS=ON -DBRISKLOW_TESTS=ON \
  -DCMAKE_BUILD_TYPE=Release >"$scratch/configure.log" 2>&1 ||
  { cat "$scratch/configure.log" >&2; exit 1; }
grep -q 'CMAKE_CROSSCOMPILING:UNINITIALIZED=OFF' "$build/CMakeCache.txt" ||
  { echo "check-msvc-warnings: the build was not configured as on Windows" >&2; exit 1; }

# One script for each C++ file inside the tree (not the build folder's), run from its entry's
# folder: its compile command with the check's flags, then clang-query on the same command. Each
# can be run again by hand.
mkdir "$scratch/files"
count=0
while IFS=$'\t' read -r directory file command; do
  count=$((count + 1))
  {
    printf 'set -o pipefail\ncd %q\n%s' "$directory" "$command"
    printf ' %q' "${check_flags[@]}"
    printf '\nstatus=$?\nclang-query -p %q -f %q --extra-arg=-fms-extensions --extra-arg=-w %q' \
      "$build" "$scratch/queries.txt" "$file"
    # shellcheck disable=SC2016 # $status is the script's
    printf ' | awk -f %q || status=1\nexit $status\n' "$scratch/findings.awk"
  } >"$scratch/files/$(printf '%03d' "$count").sh"
  printf '%s\n' "${file#"$source_dir"/}" >>"$scratch/files.txt"
done < <(jq -r --arg src "$source_dir/" --arg build "$build/" '
  .[] | select((.file | startswith($src)) and (.file | startswith($build) | not)
               and (.file | test("\\.(cpp|cc|cxx)$")))
      | "\(.directory)\t\(.file)\t\(.command)"' "$build/compile_commands.json")

# The list must hold the program and the tests; and a header of the tree that came in as a system
# header would go unchecked.
for folder in inventory texts ui platform wmi_standin tests tests/e2e; do
  grep -q "^$folder/" "$scratch/files.txt" 2>/dev/null ||
    { echo "check-msvc-warnings: the build compiles no C++ file of $folder/" >&2; exit 1; }
done
while read -r include; do
  case "$include/" in
    "$build"/*) ;;
    "$source_dir"/*)
      echo "check-msvc-warnings: $include, inside the tree, comes in as system headers" >&2
      exit 1 ;;
  esac
done < <(grep -ohE -- '-isystem *[^ ]+' "$scratch"/files/*.sh | sed -E 's/^-isystem *//' | sort -u)

# Two at a time: the machine has two cores.
# shellcheck disable=SC2016 # $1 is the inner shell's
printf '%s\0' "$scratch"/files/*.sh |
  xargs -0 -n1 -P2 sh -c 'bash "$1" >"${1%.sh}.log" 2>&1; echo $? >"${1%.sh}.rc"' _

failed=0
findings=0
for script in "$scratch"/files/*.sh; do
  if [ "$(cat "${script%.sh}.rc" 2>/dev/null)" != 0 ]; then
    failed=$((failed + 1))
    cat "${script%.sh}.log" 2>/dev/null || echo "check-msvc-warnings: $script did not run" >&2
    errors=$(grep -cE '^[^ ].*:[0-9]+:[0-9]+: error: ' "${script%.sh}.log" 2>/dev/null || true)
    findings=$((findings + ${errors:-0}))
  fi
done
if [ "$failed" -ne 0 ]; then
  echo "check-msvc-warnings: $count files checked in ${SECONDS} s, $failed with findings" \
       "($findings in all)" >&2
  exit 1
fi
echo "check-msvc-warnings: $count files checked in ${SECONDS} s, no warning"
