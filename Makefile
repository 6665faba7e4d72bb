# `make run` and `make test` install what is missing, build and go.
.PHONY: run test deps build native mingw unit e2e bench preview clean format

deps:
	@tools/install-deps.sh

native:
	cmake --preset native >/dev/null
	cmake --build --preset native

mingw:
	cmake --preset mingw >/dev/null
	cmake --build --preset mingw

build: deps native mingw

unit: native
	ctest --preset native -j2

e2e: mingw
	tests/e2e/run.sh

test: deps
	$(MAKE) --no-print-directory unit
	$(MAKE) --no-print-directory e2e

run: deps mingw
	tools/run.sh

bench:
	cmake --preset bench >/dev/null
	cmake --build --preset bench

preview: bench

clean:
	rm -rf build

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')
