#include "entry.h"
#include "orvo_ui/launch.h"

int main() {
  const orvo_ui::AppDescriptor descriptor = settings::make_descriptor();
  orvo_ui::launch::run_or_exit(descriptor);
  return 0;
}
