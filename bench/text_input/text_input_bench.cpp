// One keystroke into a long text field, as a whole frame (events, sync, layout, draw and render) in
// a 1280x800 offscreen window with real fonts: a field holding 256 characters takes one more (and
// gives it back with Backspace on the next iteration), and the search field of the application at
// its 256-byte cap does the same with the sidebar filtered by the query. Each should stay well
// under 1 ms per frame whatever the text's length.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "frame_loop.h"
#include "offscreen_backend.h"
#include "orvo_ui/app.h"
#include "orvo_ui/widgets/column.h"
#include "orvo_ui/widgets/text_input.h"
#include "settings_app/search_field.h"
#include "settings_app/settings_app.h"

namespace {

using namespace orvo_ui;

// Types `text` and Backspace in turn, one frame each; the caller has focused the field.
void type_and_erase(benchmark::State& state, OffscreenBackend& backend, FrameLoop& loop) {
  bool typed = false;
  for (auto _ : state) {
    if (typed) {
      backend.push(event::Key{NamedKey::Backspace, "", true, {}});
    } else {
      backend.push(event::TextInput{"x"});
    }
    typed = !typed;
    loop.frame(backend.take_events());
  }
}

void focus(OffscreenBackend& backend, FrameLoop& loop, const Widget& field) {
  const Point at = field.get_rect().center();
  backend.push(event::PointerButton{MouseButton::Primary, true, at});
  backend.push(event::PointerButton{MouseButton::Primary, false, at});
  loop.frame(backend.take_events());
  loop.frame(backend.take_events());
}

void BM_TypeIntoAFieldOf256Characters(benchmark::State& state) {
  PublishedCell<std::string> cell{std::string(256, 'w')};
  auto column = std::make_unique<Column>();
  auto field = std::make_unique<TextInput>(TextInput::from_state(cell).with_id("long"));
  const TextInput* shown = field.get();
  column->push(std::move(field));
  OffscreenBackend backend(1280, 800);
  App app;
  FrameLoop loop(backend, *column, app, TextRenderer::Metrics::Fonts);
  loop.frame(backend.take_events());
  focus(backend, loop, *shown);
  type_and_erase(state, backend, loop);
  if (cell.snapshot().size() < 256) state.SkipWithError("the field lost its text");
}
BENCHMARK(BM_TypeIntoAFieldOf256Characters)->Unit(benchmark::kMicrosecond);

void BM_TypeIntoTheSearchFieldAtItsCap(benchmark::State& state) {
  OffscreenBackend backend(1280, 800);
  App app;
  settings::settings_app::SettingsApp root(std::nullopt);
  FrameLoop loop(backend, root, app, TextRenderer::Metrics::Fonts);
  root.search_text().publish(std::string(settings::settings_app::kSearchMaxBytes - 1, 'n'));
  loop.frame(backend.take_events());
  const Widget* field = root.shell() ? root.shell()->search() : nullptr;
  if (!field) {
    state.SkipWithError("no search field");
    return;
  }
  focus(backend, loop, *field);
  type_and_erase(state, backend, loop);
}
BENCHMARK(BM_TypeIntoTheSearchFieldAtItsCap)->Unit(benchmark::kMicrosecond);

}  // namespace
