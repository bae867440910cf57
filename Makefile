# make run   : install what is missing, configure, build, start the program
# make test  : the same, then every test through CTest
# make test-shuffled : every test binary once, whole, in a shuffled order
# make bench : build and run the benchmarks
BUILD   ?= build
JOBS    ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test test-shuffled bench sanitize-address sanitize-thread clean

all: build

deps:
	@./scripts/install-deps.sh

configure: deps
	@test -f $(BUILD)/build.ninja || cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

# AUTOMOC misses a Q_OBJECT header added after its first scan; a header newer than a moc step's
# time stamp makes that step scan again.
build: configure
	@for t in $$(find $(BUILD) -path '*_autogen/timestamp' 2>/dev/null); do \
	    [ -n "$$(find platform geo app canvas input nav tools program tests -name '*.h' -newer $$t -print -quit)" ] && rm -f $$t; \
	done; true
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/veldorsx

# Every test runs once: a test that fails, fails the run.
test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 600

# Every test binary once more, whole and in a shuffled order (gtest prints the seed), as CTest sets
# its tests up: offscreen, in the tests' build folder. A test that leans on what another test left
# behind in the same process fails here. The window-manager tests start their own X servers.
test-shuffled: build
	@cd $(BUILD)/tests && failed=""; for t in test_*; do \
	    if [ -f "$$t" ] && [ -x "$$t" ]; then \
	        QT_QPA_PLATFORM=offscreen ./$$t --gtest_shuffle </dev/null || failed="$$failed $$t"; \
	    fi; \
	done; \
	if [ -n "$$failed" ]; then echo "failed in a shuffled order:$$failed"; exit 1; fi

bench: configure
	cmake --build $(BUILD) -j $(JOBS) --target benchmarks
	@for b in $(BUILD)/bench/*; do if [ -f "$$b" ] && [ -x "$$b" ]; then QT_QPA_PLATFORM=offscreen "$$b" || exit 1; fi; done

# Sanitizer builds in their own folders; TESTS picks a CTest regular expression. Undefined
# behaviour stops the test that meets it, so it fails like a memory fault does. Each test runs
# once here too: the tests wait for conditions, not for times, so the slower builds pass them
# alike. The thread sanitizer leaves the calls Qt's own (uninstrumented) libraries make
# unchecked: .ci/tsan.supp.
sanitize-address: deps
	@test -f build-asan/build.ninja || cmake -S . -B build-asan -G Ninja -DVSX_SANITIZE=address
	cmake --build build-asan -j $(JOBS)
	cd build-asan && UBSAN_OPTIONS=$${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1} \
	    ctest --output-on-failure -j $(JOBS) --timeout 900 -LE 'bench|wm' $(if $(TESTS),-R '$(TESTS)')

sanitize-thread: deps
	@test -f build-tsan/build.ninja || cmake -S . -B build-tsan -G Ninja -DVSX_SANITIZE=thread
	cmake --build build-tsan -j $(JOBS)
	cd build-tsan && TSAN_OPTIONS="suppressions=$(CURDIR)/.ci/tsan.supp $$TSAN_OPTIONS" \
	    ctest --output-on-failure -j $(JOBS) --timeout 900 -LE 'bench|wm' $(if $(TESTS),-R '$(TESTS)')

clean:
	rm -rf $(BUILD) build-asan build-tsan
