# The two commands of the README: `make run` and `make test`.
# Both first install the missing Debian packages, then configure and build.
BUILD ?= build
RUN_DIR := $(BUILD)/run
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all deps configure build test run format clean

all: build

deps:
	bash scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD)

test: build
	cd $(BUILD) && ctest --output-on-failure

# The program keeps BACKUP and ORIGINAL in the folder it starts from, so it
# starts from a run folder inside the build tree, never from the sources.
run: build
	mkdir -p $(RUN_DIR)
	cp readme.txt $(RUN_DIR)/readme.txt
	cd $(RUN_DIR) && "$(CURDIR)/$(BUILD)/app/quenlark" $(ARGS)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
