# Triagon: the two commands are `make run` and `make test`.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)

.PHONY: deps configure build test run package bench sanitize sanitize-configure sanitize-core fuzz clean

deps:
	@scripts/deps.sh

$(BUILD_DIR)/build.ninja: CMakeLists.txt
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DTRIAGON_WERROR=ON

configure: deps $(BUILD_DIR)/build.ninja

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 300

run: build
	$(BUILD_DIR)/bin/triagon

# The Debian package, $(BUILD_DIR)/triagon_<version>_amd64.deb.
package: build
	cd $(BUILD_DIR) && cpack -G DEB

bench: build
	@ls $(BUILD_DIR)/bench/triagon-bench

# The whole suite built with AddressSanitizer and UndefinedBehaviorSanitizer in
# a folder of its own; any report fails the test that caused it.
# `make sanitize-core` does the same for the tests without windows (the
# parsers, the store, the media layer and the engines): the part CI runs.
SANITIZE_DIR ?= build-sanitize
SANITIZE_CORE_TESTS = test_model test_library test_app test_media test_organize test_markers test_audiotriage test_settings test_appupdates
SANITIZE_ENV = QT_QPA_PLATFORM=offscreen \
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

sanitize-configure: deps
	cmake -S . -B $(SANITIZE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRIAGON_SANITIZE=ON -DTRIAGON_WERROR=ON -DTRIAGON_BUILD_BENCH=OFF

sanitize: sanitize-configure
	cmake --build $(SANITIZE_DIR) -j $(JOBS)
	cd $(SANITIZE_DIR) && $(SANITIZE_ENV) ctest --output-on-failure -j $(JOBS) --timeout 600

sanitize-core: sanitize-configure
	cmake --build $(SANITIZE_DIR) -j $(JOBS) --target $(SANITIZE_CORE_TESTS)
	cd $(SANITIZE_DIR) && $(SANITIZE_ENV) ctest --output-on-failure -j $(JOBS) --timeout 600 \
		-L '^($(shell echo $(SANITIZE_CORE_TESTS) | tr ' ' '|'))$$'

# Every fuzz target for FUZZ_SECONDS each, built with clang.
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
fuzz:
	@scripts/deps.sh fuzz
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRIAGON_FUZZ=ON -DTRIAGON_BUILD_TESTS=OFF -DTRIAGON_BUILD_BENCH=OFF
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target fuzz-targets
	scripts/fuzz.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(FUZZ_DIR)
