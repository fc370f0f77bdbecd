# Velmor: `make run` starts the program, `make test` runs every test. Both install what is
# missing on a Debian 12 machine first (scripts/setup.sh), then build.
.PHONY: all setup build run test bench soak dist clean

all: build

setup:
	@bash scripts/setup.sh

build: setup
	@bash scripts/build.sh

run: build
	@bash scripts/run.sh

test: build
	@bash scripts/test.sh

bench: build
	@bash scripts/bench.sh

soak: build
	@bash scripts/soak.sh

dist: build
	@bash scripts/dist.sh

clean:
	rm -rf build
