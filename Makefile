# Thin wrapper around CMake so that two commands work on a fresh machine.
BUILD ?= build
CMAKE_FLAGS ?=
MAKEFLAGS += --no-print-directory

.PHONY: all build demo test clean

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

clean:
	rm -rf $(BUILD)
