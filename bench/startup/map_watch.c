/* Prints the wall-clock time (nanoseconds since the epoch) of every top-level window mapped on the
 * display, one per line, so that bench/startup.sh times the map of any program the same way. */
#include <X11/Xlib.h>
#include <stdio.h>
#include <time.h>

int main(void) {
  Display* display = XOpenDisplay(NULL);
  if (!display) {
    fprintf(stderr, "map watch: cannot open the display\n");
    return 1;
  }
  XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
  printf("ready\n");
  fflush(stdout);
  for (;;) {
    XEvent event;
    XNextEvent(display, &event);
    if (event.type != MapNotify) continue;
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    printf("map %lld\n", (long long)now.tv_sec * 1000000000LL + now.tv_nsec);
    fflush(stdout);
  }
}
