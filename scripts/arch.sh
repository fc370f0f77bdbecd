# Which Windows architectures this machine builds and runs. Sourced by the other scripts.
#
# velmor.exe is a 32-bit program and is always built for i686. Running 32-bit Windows code
# under Wine needs a kernel that executes 32-bit ELF binaries (Wine's 32-bit loader); some
# kernels are built without that. There the tests, the benchmarks and `make run` use an x86_64
# build of the same sources under Wine's 64-bit loader, and say so.

velmor_wine32_works() {
  [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

# The architecture whose build runs here.
velmor_run_arch() {
  if velmor_wine32_works; then echo i686; else echo x86_64; fi
}

velmor_build_arches() {
  local r; r=$(velmor_run_arch)
  if [ "$r" = i686 ]; then echo i686; else echo "i686 x86_64"; fi
}

velmor_wine_loader() {
  if [ "$1" = i686 ]; then echo /usr/lib/wine/wine; else echo /usr/lib/wine/wine64; fi
}
