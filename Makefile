# The two commands of the README: `make run` and `make test`.
# Both first install the missing Debian packages, then configure and build.
BUILD ?= build
RUN_DIR := $(BUILD)/run
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all deps configure build test soak run format clean

all: build

deps:
	bash scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD)

test: build
	cd $(BUILD) && ctest --output-on-failure

# A long randomized run of the logo store against its model. SOAK_OPS sets
# its length; SOAK_SEED a seed to replay (empty: a fresh one, printed).
SOAK_OPS ?= 200000
SOAK_SEED ?=
soak: build
	SOAK_OPS=$(SOAK_OPS) SOAK_SEED="$(SOAK_SEED)" $(BUILD)/tests/logostore/logostore_tests \
		--gtest_filter='Soak.RandomOperations*'

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
