// Built into every executable of a sanitizer build only. The options are compiled in because
// the golden runner starts the program with an empty environment. A report ends the process
// with status 86, which no golden case expects, so the failing test cannot pass by accident.

extern "C" {

// Called by the AddressSanitizer runtime before main; leaks are checked at exit.
const char* __asan_default_options();
const char* __asan_default_options() {
  return "exitcode=86:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:"
         "check_initialization_order=1:strict_init_order=1";
}

// Called by the UndefinedBehaviorSanitizer runtime before main.
const char* __ubsan_default_options();
const char* __ubsan_default_options() { return "exitcode=86:print_stacktrace=1:halt_on_error=1"; }
}
