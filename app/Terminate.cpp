// What ends the program when an exception finds no handler at all (every window procedure,
// timer and thread entry catches, so that would be a fault of ours). The runtime's default
// handler first prints the exception's type, for which it links a whole C++ name demangler
// (some 46 KB of the program); a program without a console has nowhere to print, so here it
// aborts at once, as the runtime's handler does after printing.
//
// The runtime's terminate machinery names this function (its default handler, and what
// std::set_terminate(nullptr) restores); defined in an object of the program itself, it keeps
// the runtime's own, and the demangler, out of the link.
#include <cstdlib>
#include <exception>

void __gnu_cxx::__verbose_terminate_handler() { std::abort(); }
