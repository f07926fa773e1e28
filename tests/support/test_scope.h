// Test support: state a test sets up and leaves as it found it.
#ifndef TEST_SCOPE_H
#define TEST_SCOPE_H

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cstdio>
#include <list>
#include <string>
#include <vector>

#include "g_messages.h"

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

// A tmpfs of a few kilobytes mounted on a scratch folder, unmounted afterwards; only root can
// mount it (why says why it is not mounted).
struct SmallTmpfs {
  ScratchDir scratch{"zarim_tmpfs"};
  const std::string path = scratch.path;
  std::string why;
  explicit SmallTmpfs(long kilobytes) {
    if (geteuid() != 0) {
      why = "mounting a tmpfs needs root";
      return;
    }
    std::string cmd = "mount -t tmpfs -o size=" + std::to_string(kilobytes) + "k tmpfs '" + path + "' 2>/dev/null";
    if (system(cmd.c_str()) != 0) why = "the tmpfs could not be mounted";
  }
  ~SmallTmpfs() {
    if (why.empty()) {
      EXPECT_EQ(system(("umount '" + path + "'").c_str()), 0);
    }
  }
  bool mounted() const { return why.empty(); }
  // Fills it with the file "fill" until at most free_kilobytes are left.
  void fill_leaving(long free_kilobytes) {
    struct statvfs st;
    ASSERT_EQ(statvfs(path.c_str(), &st), 0);
    long left = static_cast<long>(st.f_bavail * st.f_frsize) - free_kilobytes * 1024;
    FILE* f = std::fopen((path + "/fill").c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::string block(1024, 'f');
    for (; left > 0; left -= 1024) std::fwrite(block.data(), 1, block.size(), f);
    std::fclose(f);
  }
  SmallTmpfs(const SmallTmpfs&) = delete;
  SmallTmpfs& operator=(const SmallTmpfs&) = delete;
};

// Message boxes and listings recorded instead of shown; the default sink comes back afterwards.
struct RecordedBoxes {
  std::vector<std::string> texts;
  std::vector<std::list<std::string>> listings;  // each listing's title, then its entries
  RecordedBoxes() {
    forms_sink sink;
    sink.show = [this](forms_box_kind, const std::string& text) { texts.push_back(text); };
    sink.listing = [this](const std::list<std::string>& lines, const std::string& title) {
      listings.push_back(lines);
      listings.back().push_front(title);
    };
    forms_set_sink(sink);
  }
  ~RecordedBoxes() { forms_reset_sink(); }
  RecordedBoxes(const RecordedBoxes&) = delete;
  RecordedBoxes& operator=(const RecordedBoxes&) = delete;
};

#endif
