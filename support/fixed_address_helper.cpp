// A program linked at a fixed address (not position-independent), for the tests of the
// module snapshot and the preferred base address: it prints "ready" and waits until its
// standard input ends.
#include <unistd.h>

int main() {
  static const char ready[] = "ready\n";
  if (::write(STDOUT_FILENO, ready, sizeof ready - 1) < 0) return 1;
  char byte = 0;
  while (::read(STDIN_FILENO, &byte, 1) > 0) {
  }
  return 0;
}
