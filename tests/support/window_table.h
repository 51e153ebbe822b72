#pragma once
// The windows' layout tables under tests/data/windows, read once for every
// toolkit that draws them: each toolkit checks its own window against them.
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace quillon::testing {

struct ControlRow {
  std::string name;
  int x = 0, y = 0, w = 0, h = 0;
  std::string caption, font, tooltip;  // empty: none, or the window's font
  int pixels = 0;                      // the font's pixel height
};

struct WindowTable {
  std::string title;
  int width = 0, height = 0;
  bool fixed = false;
  std::vector<std::string> tab;  // the focus order
  std::vector<ControlRow> rows;
};

inline WindowTable read_window_table(const std::string& path) {
  WindowTable t;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> col;
    for (std::istringstream cells(line); std::getline(cells, col.emplace_back(), '\t');) {}
    col.resize(7);
    for (auto& c : col)
      if (c == "-") c.clear();
    std::istringstream numbers(col[col[0] == "@window" ? 2 : 1]);
    if (col[0] == "@window") {
      t.title = col[1];
      numbers >> t.width >> t.height;
      t.fixed = col[3] == "fixed";
    } else if (col[0] == "@tab") {
      std::istringstream names(col[1]);
      for (std::string n; names >> n;) t.tab.push_back(n);
    } else {
      ControlRow& r = t.rows.emplace_back();
      r.name = col[0];
      numbers >> r.x >> r.y >> r.w >> r.h;
      r.caption = col[2];
      r.font = col[3];
      r.pixels = col[4].empty() ? 0 : std::stoi(col[4]);
      r.tooltip = col[5];
    }
  }
  return t;
}

}  // namespace quillon::testing
