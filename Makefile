# Thin wrapper around CMake so that two commands work on a fresh machine.
BUILD ?= build
CMAKE_FLAGS ?=
PREFIX ?= /usr/local
MAKEFLAGS += --no-print-directory

.PHONY: all build demo test install package clean

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

# The program, its manual page, the user guide and the examples under $(PREFIX).
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# A Debian package in $(BUILD): quorva_<version>_<arch>.deb.
package: build
	cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD)
