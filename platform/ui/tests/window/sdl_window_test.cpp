// The window under a private Xvfb: it stays unmapped until its first frame is presented, and then
// shows that frame's pixels at once.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "orvo_ui/scene.h"
#include "orvo_ui/text.h"
#include "sdl_backend.h"

// After the toolkit's headers: Xlib defines macros (None, Bool) that clash with their names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace orvo_ui {
namespace {

// A fresh Xvfb on a display number it picks itself; gone with the object.
class VirtualDisplay {
 public:
  static std::unique_ptr<VirtualDisplay> start() {
    int fds[2];
    if (pipe(fds) != 0) return nullptr;
    std::string fd = std::to_string(fds[1]);
    std::vector<std::string> args{"Xvfb", "-displayfd", fd, "-screen", "0", "640x480x24", "-nolisten", "tcp"};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int spawned = posix_spawnp(&pid, "Xvfb", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (spawned != 0) {
      close(fds[0]);
      return nullptr;
    }
    std::string number;
    char c = 0;
    while (read(fds[0], &c, 1) == 1 && c != '\n') number.push_back(c);
    close(fds[0]);
    auto display = std::make_unique<VirtualDisplay>();
    display->pid_ = pid;
    display->name_ = ":" + number;
    if (number.empty()) return nullptr;
    return display;
  }

  VirtualDisplay() = default;
  VirtualDisplay(const VirtualDisplay&) = delete;
  VirtualDisplay& operator=(const VirtualDisplay&) = delete;
  ~VirtualDisplay() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  const std::string& name() const { return name_; }

 private:
  pid_t pid_ = 0;
  std::string name_;
};

// What another X client sees of the top-level windows: whether one is mapped, and its pixels.
class Observer {
 public:
  explicit Observer(const std::string& display) : display_(XOpenDisplay(display.c_str())) {}
  ~Observer() {
    if (display_) XCloseDisplay(display_);
  }
  bool connected() const { return display_ != nullptr; }

  std::vector<Window> windows() {
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count);
    std::vector<Window> out(children, children + count);
    if (children) XFree(children);
    return out;
  }

  int mapped_count() {
    int mapped = 0;
    for (Window w : windows()) {
      XWindowAttributes attributes;
      if (XGetWindowAttributes(display_, w, &attributes) && attributes.map_state == IsViewable) ++mapped;
    }
    return mapped;
  }

  // The pixel at (x, y) of the only mapped window, as 0xRRGGBB.
  std::optional<unsigned long> pixel(int x, int y) {
    for (Window w : windows()) {
      XWindowAttributes attributes;
      if (!XGetWindowAttributes(display_, w, &attributes) || attributes.map_state != IsViewable) continue;
      XImage* image = XGetImage(display_, w, x, y, 1, 1, AllPlanes, ZPixmap);
      if (!image) return std::nullopt;
      unsigned long value = XGetPixel(image, 0, 0) & 0xffffff;
      XDestroyImage(image);
      return value;
    }
    return std::nullopt;
  }

 private:
  Display* display_;
};

class SdlWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    display_ = VirtualDisplay::start();
    if (!display_) GTEST_SKIP() << "Xvfb is not installed (scripts/bootstrap installs it)";
    setenv("DISPLAY", display_->name().c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("SDL_VIDEODRIVER");
    // No session bus: SDL would otherwise try to start one.
    setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent", 1);
  }

  std::unique_ptr<VirtualDisplay> display_;
};

TEST_F(SdlWindowTest, WindowIsMappedWithItsFirstFrameAlreadyDrawn) {
  auto backend = SdlBackend::open("first frame", 320, 200, false);
  ASSERT_TRUE(backend.has_value()) << backend.error();
  Observer observer(display_->name());
  ASSERT_TRUE(observer.connected());
  EXPECT_EQ(observer.mapped_count(), 0) << "the window is shown before anything is drawn";

  Scene scene;
  scene.fill(RoundedRect::from_rect(Rect{100, 50, 200, 150}, 0), Color::rgb(0x3366cc), Affine{});
  TextRenderer text(TextRenderer::Metrics::Fixed);
  (*backend)->present(scene, text, Color::rgb(0x202124), 1.0);

  EXPECT_EQ(observer.mapped_count(), 1);
  EXPECT_EQ(observer.pixel(10, 10), 0x202124ul);
  EXPECT_EQ(observer.pixel(150, 100), 0x3366ccul);
}

TEST_F(SdlWindowTest, WindowIsShownWhenTheLoopWaitsWithoutAFrame) {
  auto backend = SdlBackend::open("no frame", 320, 200, false);
  ASSERT_TRUE(backend.has_value()) << backend.error();
  Observer observer(display_->name());
  ASSERT_TRUE(observer.connected());
  (*backend)->wait(Deadline::after_millis(1));
  EXPECT_EQ(observer.mapped_count(), 1);
}

// A display that cannot be reached is reported once the start finishes; drawing meanwhile is harmless.
TEST_F(SdlWindowTest, UnreachableDisplayIsReported) {
  setenv("DISPLAY", ":9999", 1);
  auto backend = SdlBackend::open("nowhere", 320, 200, false);
  ASSERT_TRUE(backend.has_value());
  Scene scene;
  TextRenderer text(TextRenderer::Metrics::Fixed);
  (*backend)->present(scene, text, Color::rgb(0x202124), 1.0);
  EXPECT_TRUE((*backend)->take_events().events.empty());
  auto error = (*backend)->start_error();
  ASSERT_TRUE(error.has_value());
  EXPECT_FALSE(error->empty());
}

// A machine where fontconfig finds no font at all still gets its window, with the text drawn as
// well as pango can.
TEST_F(SdlWindowTest, WindowAppearsWhenNoFontCanBeLoaded) {
  char dir[] = "/tmp/orvo-no-fonts-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string config = std::string(dir) + "/fonts.conf";
  {
    std::FILE* file = std::fopen(config.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fputs("<?xml version=\"1.0\"?>\n<fontconfig><cachedir>" , file);
    std::fputs(dir, file);
    std::fputs("</cachedir></fontconfig>\n", file);
    std::fclose(file);
  }
  setenv("FONTCONFIG_FILE", config.c_str(), 1);

  TextRenderer::preload_fonts();
  auto backend = SdlBackend::open("no fonts", 320, 200, false);
  ASSERT_TRUE(backend.has_value()) << backend.error();
  TextRenderer text(TextRenderer::Metrics::Fonts);
  text.measure("Settings", false, 14, 0);
  Scene scene;
  text.draw_text(scene, "Settings", false, 14, 0, Color::rgb(0xffffff), Affine::translate(10, 10));
  (*backend)->present(scene, text, Color::rgb(0x202124), 1.0);

  Observer observer(display_->name());
  ASSERT_TRUE(observer.connected());
  EXPECT_EQ(observer.mapped_count(), 1);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace orvo_ui
