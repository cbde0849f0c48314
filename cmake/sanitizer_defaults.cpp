// Linked into every program of a sanitizer build, so a test run by hand sees the same
// runtime options as one run by the test scripts.

// The runtime's interception of __tls_get_addr (GCC 12, clang 14) takes some ordinary
// thread-local blocks for an old C library's layout and reads a length from before them;
// the leak checker's thread-stopping tracer then faults on exit now and again, most often
// after the GL driver has run (a test that passed ends "LeakSanitizer has encountered a
// fatal error"). Without the interception, dynamic thread-local blocks are not scanned
// for pointers.
extern "C" __attribute__((visibility("default"), used)) const char* __asan_default_options() {
  return "intercept_tls_get_addr=0";
}
