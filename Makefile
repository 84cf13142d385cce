# Thin wrapper around CMake so that two commands work on a fresh machine.
BUILD ?= build
CMAKE_FLAGS ?=
PREFIX ?= /usr/local
# Parallel jobs for building and testing: one per processor.
JOBS ?= $(shell nproc 2>/dev/null || echo 1)
MAKEFLAGS += --no-print-directory

SANITIZE_BUILD ?= build-asan
COVERAGE_BUILD ?= build-coverage
FUZZ_BUILD ?= build-fuzz
COVERAGE_MIN_LINES ?= 0
COVERAGE_MIN_BRANCHES ?= 0
# Seconds each fuzz target runs for in `make fuzz`.
FUZZ_SECONDS ?= 60
FUZZ_TARGETS := line_parser program date workbook

.PHONY: all build demo test check coverage fuzz lint install package clean

all: build

# $(call configure,DIR,FLAGS): a configure that fails leaves no cache in DIR, so the next make
# configures afresh instead of reusing what failed. A build dir counts as configured when it
# holds cmake_install.cmake, which CMake writes only once a configure has succeeded.
configure = cmake -S . -B $(1) $(2) || { rm -f $(1)/CMakeCache.txt; exit 1; }

# $(call ctest_run,DIR): the tests of DIR, then one line if the GoogleTest ones were left out.
ctest_run = cd $(1) && ctest --output-on-failure -j $(JOBS); status=$$?; \
  if grep -qx 'QUORVA_GTEST_FOUND:INTERNAL=OFF' CMakeCache.txt; then \
    echo "GoogleTest not found: unit, property and hostile unit tests not run (on Debian: apt-get install libgtest-dev)"; \
  fi; exit $$status

$(BUILD)/cmake_install.cmake:
	@$(call configure,$(BUILD),-DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS))

build: $(BUILD)/cmake_install.cmake
	cmake --build $(BUILD) -j $(JOBS)

# Runs from the example's folder so that the messages name the list as donations.txt.
# Only the program is built, not the tests.
demo: $(BUILD)/cmake_install.cmake
	cmake --build $(BUILD) -j $(JOBS) --target quorva
	cd examples/food-pantry && TZ=America/New_York $(abspath $(BUILD))/quorva donations.txt

# A build that was configured without GoogleTest looks for it again, so that installing it is
# enough to get the unit tests.
test: $(BUILD)/cmake_install.cmake
	@if grep -qx 'QUORVA_GTEST_FOUND:INTERNAL=OFF' $(BUILD)/CMakeCache.txt; then \
	  cmake $(BUILD) > /dev/null; fi
	cmake --build $(BUILD) -j $(JOBS)
	@$(call ctest_run,$(BUILD))

# The whole test suite twice: as built for use, then built with AddressSanitizer and
# UndefinedBehaviorSanitizer in $(SANITIZE_BUILD); a sanitizer report fails the test that met it.
check: test
	@test -f $(SANITIZE_BUILD)/cmake_install.cmake || \
	  $(call configure,$(SANITIZE_BUILD),-DCMAKE_BUILD_TYPE=Debug -DQUORVA_SANITIZE=ON $(CMAKE_FLAGS))
	cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	@$(call ctest_run,$(SANITIZE_BUILD))

# The whole test suite built with gcov in $(COVERAGE_BUILD), then the line and branch coverage
# of src/ by gcovr (Debian's gcovr package; this target does not install it). Counts start
# from zero on every run. Branches on exception paths are left out: the program throws none.
# Coverage below COVERAGE_MIN_LINES or COVERAGE_MIN_BRANCHES percent fails the target.
coverage:
	@command -v gcovr > /dev/null 2>&1 || \
	  { echo "make coverage needs gcovr (on Debian: apt-get install gcovr)"; exit 1; }
	@test -f $(COVERAGE_BUILD)/cmake_install.cmake || \
	  $(call configure,$(COVERAGE_BUILD),-DCMAKE_BUILD_TYPE=Debug -DQUORVA_COVERAGE=ON $(CMAKE_FLAGS))
	cmake --build $(COVERAGE_BUILD) -j $(JOBS)
	find $(COVERAGE_BUILD) -name '*.gcda' -delete
	@$(call ctest_run,$(COVERAGE_BUILD))
	gcovr --root . --filter 'src/' --object-directory $(COVERAGE_BUILD) --exclude-throw-branches \
	  --json $(COVERAGE_BUILD)/coverage.json
	gcovr --root . --add-tracefile $(COVERAGE_BUILD)/coverage.json
	gcovr --root . --add-tracefile $(COVERAGE_BUILD)/coverage.json --branches --print-summary \
	  --fail-under-line $(COVERAGE_MIN_LINES) --fail-under-branch $(COVERAGE_MIN_BRANCHES)

# Builds the libFuzzer targets with clang in $(FUZZ_BUILD) and runs each for FUZZ_SECONDS from
# the seed corpus in tests/fuzz/corpus; new inputs go to $(FUZZ_BUILD)/corpus, and a crash,
# hang or leak leaves its input in $(FUZZ_BUILD)/findings and stops.
fuzz:
	@test -f $(FUZZ_BUILD)/cmake_install.cmake || \
	  $(call configure,$(FUZZ_BUILD),-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DQUORVA_FUZZ=ON)
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(addprefix fuzz_,$(FUZZ_TARGETS))
	@mkdir -p $(FUZZ_BUILD)/findings
	@for target in $(FUZZ_TARGETS); do \
	  mkdir -p $(FUZZ_BUILD)/corpus/$$target && \
	  echo "fuzz_$$target for $(FUZZ_SECONDS) s" && \
	  TZ=America/New_York $(FUZZ_BUILD)/tests/fuzz/fuzz_$$target -max_total_time=$(FUZZ_SECONDS) \
	    -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
	    -artifact_prefix=$(FUZZ_BUILD)/findings/$$target- \
	    $(FUZZ_BUILD)/corpus/$$target tests/fuzz/corpus/$$target || exit 1; \
	done

# cppcheck and clang-tidy over src/; any finding fails. Suppressions and left-out checks are
# justified in .cppcheck-suppressions and .clang-tidy.
lint: $(BUILD)/cmake_install.cmake
	cppcheck --enable=warning,performance,portability --std=c++17 --inline-suppr --quiet \
	  --suppressions-list=.cppcheck-suppressions --error-exitcode=1 -I src src
	clang-tidy -p $(BUILD) --quiet $(sort $(wildcard src/*/*.cpp))

# The program, its manual page, the user guide and the examples under $(PREFIX).
install: $(BUILD)/cmake_install.cmake
	cmake --build $(BUILD) -j $(JOBS) --target quorva
	cmake --install $(BUILD) --prefix $(PREFIX)

# A Debian package in $(BUILD): quorva_<version>_<arch>.deb.
package: $(BUILD)/cmake_install.cmake
	cmake --build $(BUILD) -j $(JOBS) --target quorva
	cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(COVERAGE_BUILD) $(FUZZ_BUILD)
