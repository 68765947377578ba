/* The idle baseline of bench/startup.sh: a process that does nothing but
 * wake up every 10 ms, as the program's event wait does at the most while
 * nothing happens. */
#include <poll.h>
#include <stddef.h>

int main(void) {
  for (;;) poll(NULL, 0, 10);
}
