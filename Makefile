# The two commands of the README: `make run` and `make test`.
# Both first install the missing Debian packages, then configure and build.
BUILD ?= build
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all deps configure build test test-asan fuzz soak run format clean

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

# The libFuzzer targets in fuzz/, each run for FUZZ_SECONDS, built by clang
# in a tree of their own. Each starts from its committed seeds in
# fuzz/corpus/<target> and keeps what it finds in $(FUZZ_BUILD)/corpus; a
# crashing input lands in $(FUZZ_BUILD) as crash-<target>-...
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS = settings_file_fuzz drive_map_fuzz size_check_fuzz builtin_logo_fuzz image_structure_fuzz
fuzz: deps
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DCMAKE_CXX_COMPILER=clang++-14 -DQUENLARK_BUILD_UI=OFF -DQUENLARK_BUILD_FUZZ=ON
	cmake --build $(FUZZ_BUILD) --target $(FUZZ_TARGETS)
	set -e; for t in $(FUZZ_TARGETS); do \
		mkdir -p $(FUZZ_BUILD)/corpus/$$t; \
		$(SANITIZER_ENV) $(FUZZ_BUILD)/fuzz/$$t -max_total_time=$(FUZZ_SECONDS) \
			-print_final_stats=1 -artifact_prefix=$(FUZZ_BUILD)/crash-$$t- \
			$(FUZZ_BUILD)/corpus/$$t fuzz/corpus/$$t; \
	done

# A long randomized run of the logo store against its model. SOAK_OPS sets
# its length; SOAK_SEED a seed to replay (empty: a fresh one, printed).
SOAK_OPS ?= 200000
SOAK_SEED ?=
soak: build
	SOAK_OPS=$(SOAK_OPS) SOAK_SEED="$(SOAK_SEED)" $(BUILD)/tests/logostore/logostore_tests \
		--gtest_filter='Soak.RandomOperations*'

# Each installation keeps its BACKUP and ORIGINAL in the user's data folder,
# wherever the program starts; the build tree holds the readme that "Read Me"
# links to.
run: build
	"$(BUILD)/app/quenlark" $(ARGS)

# Installs the programs, the readme, the desktop entry, the icons, the
# AppStream metainfo and the man pages under PREFIX (DESTDIR stages them).
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD) --prefix "$(PREFIX)"

# The Debian package, made by CPack in $(BUILD), then unpacked into a scratch
# root and tried there (scripts/check-package.sh).
package: build
	rm -f $(BUILD)/quenlark_*.deb
	cd $(BUILD) && cpack -G DEB
	bash scripts/check-package.sh $(BUILD)/quenlark_*.deb

# Pictures of the program on a fresh demo drive, taken under Xvfb, into
# SCREENSHOTS (the README shows the first).
SCREENSHOTS ?= docs/screenshots
screenshots: build
	bash scripts/screenshots.sh $(BUILD)/app/quenlark $(SCREENSHOTS)

# The README's `make test` as root on a fresh Debian 12: a minimal root made
# by debootstrap (cached outside the tree), holding a clone of HEAD.
fresh-test: deps
	bash scripts/fresh-machine-test.sh

.PHONY: install package screenshots fresh-test

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
