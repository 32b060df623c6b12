/* The yardstick of bench/startup.sh: the least a program on the same libraries does to show a
 * window (SDL2 for the window, cairo and pango for the drawing). It opens a 1280x800 window, fills
 * it, draws one line of text, and waits to be closed. With ORVO_UI_STARTED_AT_NS it says on
 * standard error when the window was mapped and when its content was drawn.
 *
 * With the argument "hidden" it opens the window hidden, draws first and then shows it, so that the
 * window is mapped with its content, as the application does: the least that way of starting costs
 * on these libraries. */
#include <SDL.h>
#include <pango/pangocairo.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static void report(const char* what) {
  const char* started = getenv("ORVO_UI_STARTED_AT_NS");
  if (!started) return;
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  long long now_ns = (long long)now.tv_sec * 1000000000LL + now.tv_nsec;
  fprintf(stderr, "startup: %s after %.1f ms\n", what, (now_ns - atoll(started)) / 1e6);
}

int main(int argc, char** argv) {
  const int hidden = argc > 1 && strcmp(argv[1], "hidden") == 0;
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    fprintf(stderr, "bare window: %s\n", SDL_GetError());
    return 1;
  }
  SDL_Window* window = SDL_CreateWindow("bare", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 1280, 800,
                                        hidden ? SDL_WINDOW_HIDDEN : SDL_WINDOW_SHOWN);
  if (!window) {
    fprintf(stderr, "bare window: %s\n", SDL_GetError());
    return 1;
  }
  if (!hidden) report("window mapped");
  SDL_Surface* surface = SDL_GetWindowSurface(window);
  cairo_surface_t* target = cairo_image_surface_create_for_data(surface->pixels, CAIRO_FORMAT_RGB24, surface->w,
                                                                surface->h, surface->pitch);
  cairo_t* cr = cairo_create(target);
  cairo_set_source_rgb(cr, 0.12, 0.12, 0.14);
  cairo_paint(cr);
  cairo_set_source_rgb(cr, 0.3, 0.5, 0.9);
  cairo_rectangle(cr, 40, 40, 400, 200);
  cairo_fill(cr);
  PangoLayout* layout = pango_cairo_create_layout(cr);
  PangoFontDescription* font = pango_font_description_from_string("DejaVu Sans 14px");
  pango_layout_set_font_description(layout, font);
  pango_layout_set_text(layout, "Bare window", -1);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_move_to(cr, 60, 60);
  pango_cairo_show_layout(cr, layout);
  pango_font_description_free(font);
  g_object_unref(layout);
  cairo_destroy(cr);
  cairo_surface_destroy(target);
  if (hidden) SDL_ShowWindow(window);
  SDL_UpdateWindowSurface(window);
  report("first content");

  SDL_Event event;
  while (SDL_WaitEvent(&event) && event.type != SDL_QUIT) {
  }
  SDL_DestroyWindow(window);
  SDL_Quit();
  return 0;
}
