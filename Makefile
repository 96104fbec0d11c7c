# The two commands of the README: `make run` and `make test`.
# Both first install the missing Debian packages, then configure and build.
BUILD ?= build
RUN_DIR := $(BUILD)/run
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all deps configure build test test-asan soak run format clean

all: build

deps:
	bash scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD)

test: build
	cd $(BUILD) && ctest --output-on-failure

# The whole suite again, built with AddressSanitizer and UBSan in a tree of
# its own. Any finding, leaks included, ends the test that met it with a
# failure. Qt and the system libraries report no leaks of their own under the
# offscreen platform, so nothing is suppressed.
ASAN_BUILD ?= build-asan
SANITIZER_ENV = \
	ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1 \
	UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUENLARK_SANITIZE=ON
	cmake --build $(ASAN_BUILD)
	cd $(ASAN_BUILD) && $(SANITIZER_ENV) ctest --output-on-failure

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
