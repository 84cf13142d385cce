# Thin wrapper around CMake so that two commands work on a fresh machine.
BUILD ?= build
CMAKE_FLAGS ?=
PREFIX ?= /usr/local
MAKEFLAGS += --no-print-directory

SANITIZE_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
# Seconds each fuzz target runs for in `make fuzz`.
FUZZ_SECONDS ?= 60
FUZZ_TARGETS := line_parser program date

.PHONY: all build demo test check fuzz lint install package clean

all: build

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

build: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j 2

# Runs from the example's folder so that the messages name the list as donations.txt.
demo: build
	cd examples/food-pantry && TZ=America/New_York $(abspath $(BUILD))/quorva donations.txt

test: build
	cd $(BUILD) && ctest --output-on-failure -j 2

# The whole test suite twice: as built for use, then built with AddressSanitizer and
# UndefinedBehaviorSanitizer in $(SANITIZE_BUILD); a sanitizer report fails the test that met it.
check: test
	@test -f $(SANITIZE_BUILD)/CMakeCache.txt || \
	  cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=Debug -DQUORVA_SANITIZE=ON $(CMAKE_FLAGS)
	cmake --build $(SANITIZE_BUILD) -j 2
	cd $(SANITIZE_BUILD) && ctest --output-on-failure -j 2

# Builds the libFuzzer targets with clang in $(FUZZ_BUILD) and runs each for FUZZ_SECONDS from
# the seed corpus in tests/fuzz/corpus; new inputs go to $(FUZZ_BUILD)/corpus, and a crash,
# hang or leak leaves its input in $(FUZZ_BUILD)/findings and stops.
fuzz:
	@test -f $(FUZZ_BUILD)/CMakeCache.txt || \
	  cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DQUORVA_FUZZ=ON
	cmake --build $(FUZZ_BUILD) -j 2 --target $(addprefix fuzz_,$(FUZZ_TARGETS))
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
lint: $(BUILD)/CMakeCache.txt
	cppcheck --enable=warning,performance,portability --std=c++17 --inline-suppr --quiet \
	  --suppressions-list=.cppcheck-suppressions --error-exitcode=1 -I src src
	clang-tidy -p $(BUILD) --quiet $(sort $(wildcard src/*/*.cpp))

# The program, its manual page, the user guide and the examples under $(PREFIX).
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# A Debian package in $(BUILD): quorva_<version>_<arch>.deb.
package: build
	cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(FUZZ_BUILD)
