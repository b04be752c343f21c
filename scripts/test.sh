#!/usr/bin/env bash
# Installs what the tests need when it is missing, then builds and runs the whole
# test suite twice: a normal build in build/, and an AddressSanitizer and
# UndefinedBehaviorSanitizer build in build-asan/ that halts on the first report.
set -u
cd "$(dirname "$0")/.."

packages=(g++ cmake make pkg-config libgtest-dev libtiff-dev libgif-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -eq 0 ]; then
    echo "installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq && apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null \
      || { echo "could not install: ${missing[*]}" >&2; exit 1; }
  else
    echo "the tests need these packages; install them as root, then run again:" >&2
    echo "  apt-get install ${missing[*]}" >&2
    exit 1
  fi
fi

jobs=$(nproc 2>/dev/null || echo 2)
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

run_suite() {  # build-dir, extra cmake options...
  local dir=$1
  shift
  echo "== $dir"
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DSLICEMESH_WERROR=ON -DSLICEMESH_TESTS=ON "$@" >/dev/null \
    && cmake --build "$dir" -j "$jobs" \
    && (cd "$dir" && ctest --output-on-failure -j "$jobs" --timeout 600)
}

status=0
run_suite build -DSLICEMESH_SANITIZE=OFF || status=1
run_suite build-asan -DSLICEMESH_SANITIZE=ON || status=1
exit $status
