# Sourced by the scripts of tools/ and bench/ (not run by itself): which of the two builds this
# machine can run. The 32-bit build (i686) is what a classroom PC runs; it runs under 32-bit Wine
# only where the kernel runs 32-bit x86 code, which some kernels do not (their execve refuses a
# 32-bit program). The 64-bit build (x86_64) runs under 64-bit Wine everywhere.

# runs_32bit: true when the kernel runs a 32-bit program. It is asked by running one, a static
# program of a few instructions that exits with 7, made with the binutils the build needs anyway;
# a kernel's configuration can claim support that its host then refuses. The answer is kept in
# TOLU_RUNS_32BIT for the scripts this one starts.
runs_32bit() {
  if [ -z "${TOLU_RUNS_32BIT:-}" ]; then
    local dir rc=1
    dir=$(mktemp -d)
    printf '.globl _start\n_start:\n movl $1, %%eax\n movl $7, %%ebx\n int $0x80\n' >"$dir/probe.s"
    if as --32 "$dir/probe.s" -o "$dir/probe.o" 2>/dev/null &&
       ld -m elf_i386 "$dir/probe.o" -o "$dir/probe" 2>/dev/null; then
      "$dir/probe" 2>/dev/null && rc=0 || rc=$?
    fi
    rm -rf "$dir"
    if [ "$rc" = 7 ]; then TOLU_RUNS_32BIT=yes; else TOLU_RUNS_32BIT=no; fi
    export TOLU_RUNS_32BIT
  fi
  [ "$TOLU_RUNS_32BIT" = yes ]
}

# The one line said where the 32-bit build cannot run.
NO_32BIT_LINE="this kernel runs no 32-bit code: the 32-bit build (i686) is built but not run here; the 64-bit build (x86_64) runs instead"

# run_arch: the build to run by default: i686 where it runs, x86_64 elsewhere.
run_arch() {
  if runs_32bit; then echo i686; else echo x86_64; fi
}

# bench_arch: the build a benchmark measures: TOLU_BENCH_ARCH (i686 or x86_64) when set, else
# run_arch. Fails, saying why, when the 32-bit build is asked for on a kernel that cannot run it.
bench_arch() {
  local arch=${TOLU_BENCH_ARCH:-$(run_arch)}
  case $arch in
    i686)
      runs_32bit || {
        echo "TOLU_BENCH_ARCH=i686: this kernel runs no 32-bit code, so the 32-bit build cannot run here" >&2
        return 1
      } ;;
    x86_64) ;;
    *) echo "TOLU_BENCH_ARCH must be i686 or x86_64, not '$arch'" >&2; return 1 ;;
  esac
  echo "$arch"
}

# build_words ARCH: the build in words, for the line a script prints of what it ran.
build_words() {
  case $1 in
    i686) echo "the 32-bit build (i686) under 32-bit Wine" ;;
    *) echo "the 64-bit build (x86_64) under 64-bit Wine" ;;
  esac
}
