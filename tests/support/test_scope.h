// Test support: state a test sets up and leaves as it found it.
#ifndef TEST_SCOPE_H
#define TEST_SCOPE_H

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "formspp.h"

// A fresh directory under /tmp, removed with everything in it.
struct ScratchDir {
  std::string path;
  explicit ScratchDir(const std::string& stem = "zarim") {
    std::string tmpl = "/tmp/" + stem + "_XXXXXX";
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    if (mkdtemp(buf.data()) != nullptr) path = buf.data();
    EXPECT_FALSE(path.empty()) << "mkdtemp";
  }
  ~ScratchDir() {
    if (path.empty()) return;
    std::string cmd = "rm -rf '" + path + "'";
    EXPECT_EQ(system(cmd.c_str()), 0);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
};

// Message boxes recorded instead of shown; the default sink comes back afterwards.
struct RecordedBoxes {
  std::vector<std::string> texts;
  RecordedBoxes() {
    forms_sink sink;
    sink.show = [this](forms_box_kind, const std::string& text) { texts.push_back(text); };
    forms_set_sink(sink);
  }
  ~RecordedBoxes() { forms_reset_sink(); }
  RecordedBoxes(const RecordedBoxes&) = delete;
  RecordedBoxes& operator=(const RecordedBoxes&) = delete;
};

#endif
