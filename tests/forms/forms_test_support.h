// Test support of the forms tests: FLTK windows driven from timeouts, scratch working directories
// and external tools.
#ifndef FORMS_TEST_SUPPORT_H
#define FORMS_TEST_SUPPORT_H

#include <gtest/gtest.h>  // before FLTK: X11 macros clash with its names

#include "test_scope.h"

#include <FL/Fl.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Image_Surface.H>
#include <FL/Fl_Widget.H>
#include <FL/fl_draw.H>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "tool_on_path.h"

namespace forms_test {

// Runs one step in FLTK's loop after a short delay.
inline std::function<void()>& pending_step() {
  static std::function<void()> step;
  return step;
}
inline void run_step(void*) {
  std::function<void()> step;
  step.swap(pending_step());
  if (step) step();
}
// Adds the step's timeout from an idle callback, outside any timeout callback: inside one,
// FLTK counts the delay from the time the running callback was due, so after a late step
// the next one would be due at once and run in the same wait, before the loop has read
// the widget the late step clicked.
inline void schedule_step(void*) {
  Fl::remove_idle(schedule_step);
  Fl::add_timeout(0.05, run_step);
}
inline void after_delay(std::function<void()> step) {
  pending_step() = std::move(step);
  Fl::add_idle(schedule_step);
}

// Runs the steps one after the other, each after a short delay.
inline void after_delays(std::vector<std::function<void()>> steps) {
  auto all = std::make_shared<std::vector<std::function<void()>>>(std::move(steps));
  auto next = std::make_shared<std::function<void(std::size_t)>>();
  *next = [all, next](std::size_t i) {
    if (i >= all->size()) return;
    after_delay([all, next, i] {
      (*all)[i]();
      (*next)(i + 1);
    });
  };
  (*next)(0);
}

inline Fl_Widget* child_labelled(Fl_Group* g, const char* label) {
  for (int i = 0; i < g->children(); ++i) {
    Fl_Widget* c = g->child(i);
    if (c->visible() && c->label() && std::strcmp(c->label(), label) == 0) return c;
  }
  return nullptr;
}

// Keeps the Fl::wait() that runs it from blocking, and removes itself on its second call,
// in the next wait. A short timeout would not do: when the step runs late (a loaded
// machine), FLTK counts the new timeout from the missed time and runs it inside the same
// wait, which then blocks with the widget still queued.
inline void wake_once(void*) {
  static int calls = 0;
  if (++calls >= 2) {
    calls = 0;
    Fl::remove_idle(wake_once);
  }
}

// Queues the widget for Fl::readqueue() as a click would, and makes the loop's current
// Fl::wait() return so that the loop reads it.
inline void click(Fl_Widget* w) {
  if (w) w->do_callback();
  if (!Fl::has_idle(wake_once)) Fl::add_idle(wake_once);
}

// Clicks the button so labelled; hides the group when there is none (the loop then ends).
inline void press(Fl_Group* g, const char* label) {
  Fl_Widget* b = child_labelled(g, label);
  EXPECT_NE(b, nullptr) << label;
  if (b)
    click(b);
  else
    g->hide();
}

// First child of that type.
template <class W>
W* child_of_type(Fl_Group* g) {
  for (int i = 0; i < g->children(); ++i)
    if (W* w = dynamic_cast<W*>(g->child(i))) return w;
  return nullptr;
}

inline std::string file_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline bool file_exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

inline void write_file(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// True when the program is found on PATH.
inline bool have_tool(const std::string& name) { return tool_on_path(name); }

// Standard output of a shell command, and its exit status.
inline std::string command_output(const std::string& command, int* status = nullptr) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  std::size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  const int rc = pclose(p);
  if (status) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  return out;
}

// Pixels drawn off screen: draw() runs with a white w x h surface current.
class drawn_image {
 public:
  drawn_image(int w, int h, const std::function<void()>& draw) {
    Fl_Image_Surface surface(w, h);
    surface.set_current();
    fl_color(FL_WHITE);
    fl_rectf(0, 0, w, h);
    draw();
    image_.reset(surface.image());
    Fl_Display_Device::display_device()->set_current();
  }
  bool valid() const { return image_ && image_->d() >= 3; }
  std::vector<int> at(int x, int y) const {
    const uchar* px = reinterpret_cast<const uchar*>(image_->data()[0]);
    const int line = image_->ld() ? image_->ld() : image_->w() * image_->d();
    const uchar* p = px + y * line + x * image_->d();
    return std::vector<int>{p[0], p[1], p[2]};
  }
  static std::vector<int> rgb(Fl_Color c) {
    unsigned char r, g, b;
    Fl::get_color(c, r, g, b);
    return std::vector<int>{r, g, b};
  }

 private:
  std::unique_ptr<Fl_RGB_Image> image_;
};

// A scratch directory made the working directory for the test's life.
struct ScratchCwd {
  ScratchDir dir{"zarim_forms"};
  std::string previous;
  ScratchCwd() {
    char buf[4096];
    if (getcwd(buf, sizeof buf)) previous = buf;
    EXPECT_EQ(chdir(dir.path.c_str()), 0);
  }
  ~ScratchCwd() {
    if (!previous.empty()) {
      EXPECT_EQ(chdir(previous.c_str()), 0);
    }
  }
  ScratchCwd(const ScratchCwd&) = delete;
  ScratchCwd& operator=(const ScratchCwd&) = delete;
};

}  // namespace forms_test

#endif
