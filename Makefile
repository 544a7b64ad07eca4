# KVX: the two commands of the README (make run, make test) set up everything.
BUILD ?= build
JOBS ?= 2
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all deps configure build run test bench install clean deb

all: build

deps:
	@./tools/install-deps.sh

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

configure: deps $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j$(JOBS)

run: build
	$(BUILD)/src/app/kvx

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

bench: build
	./bench/run-bench.sh $(BUILD)

install: build
	cmake --install $(BUILD)

clean:
	rm -rf $(BUILD)

# The Debian packages kvx, kvx-count and kvx-data, built by dpkg-buildpackage
# (tests off: make test runs them), moved from .. to dist/, checked by lintian
# and by installing them (tools/check-package.sh, which compares with the
# build tree's kvx-count).
DIST ?= dist
DEB_TOOLS = debhelper dpkg-dev fakeroot lintian man-db bash-completion

deb: build
	@./tools/install-deps.sh $(DEB_TOOLS)
	DEB_BUILD_OPTIONS="nocheck parallel=$(JOBS)" dpkg-buildpackage -us -uc -b -Pnocheck
	@mkdir -p $(DIST) && rm -f $(DIST)/kvx*
	@changes=../kvx_$$(dpkg-parsechangelog -S Version)_$$(dpkg-architecture -qDEB_HOST_ARCH).changes; \
	  for f in $$(sed -n '/^Files:/,/^[^ ]/s/^ [0-9a-f]\{32\} [0-9]* [^ ]* [^ ]* //p' $$changes); do \
	    mv ../$$f $(DIST)/; done; \
	  mv $$changes $(DIST)/; ls -l $(DIST)
	fakeroot debian/rules clean >/dev/null
	lintian --fail-on error --display-info $(DIST)/*.changes
	./tools/check-package.sh $(DIST) $(BUILD)

# Hardening: the whole test suite on an AddressSanitizer/UBSan build, and the
# libFuzzer targets (clang) run for a minute each from their seed corpora.
SANITIZE_BUILD ?= build-sanitize
FUZZ_BUILD ?= build-fuzz
FUZZ_TIME ?= 60
SANITIZER_ENV = QT_QPA_PLATFORM=offscreen \
	ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1 \
	UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tools/lsan.supp:print_suppressions=0

.PHONY: sanitize fuzz

sanitize: deps
	cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKVX_SANITIZE=ON -DKVX_BUILD_BENCH=OFF
	cmake --build $(SANITIZE_BUILD) -j$(JOBS)
	cd $(SANITIZE_BUILD) && $(SANITIZER_ENV) ctest --output-on-failure -j$(JOBS)

fuzz:
	@./tools/install-deps.sh clang libclang-rt-14-dev
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
		-DKVX_FUZZ=ON -DKVX_BUILD_APP=OFF -DKVX_BUILD_TESTS=OFF -DKVX_BUILD_BENCH=OFF
	cmake --build $(FUZZ_BUILD) -j$(JOBS)
	./fuzz/run-fuzz.sh $(FUZZ_BUILD) $(FUZZ_TIME)
