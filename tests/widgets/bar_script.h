#pragma once
// The progress bar's scripts under tests/data/progress_bar: property sets as
// the program makes them ("Value 50", "BackColor 00FFFF", "Target", "Target
// none", "Unit pc"), "get NAME VALUE" checks, "scale W H" resizes the surface
// behind the bar's back. progress_bar_test checks the "> " lines (each call on
// the surface, in order); qimage_surface_test the "region" lines (pixels).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "widgets/progress_bar.h"

namespace quillon::testing {

inline std::string hex_colour(Colour c) {
  char b[16];
  std::snprintf(b, sizeof b, "%06X", static_cast<unsigned>(c));
  return b;
}

// Runs one property set or check; returns "error <text>" for a refused set.
inline std::string apply(clsProgressBar& bar, Surface& target, const std::string& verb, const std::string& arg,
                         const std::string& where) {
  const auto colour = [&] { return static_cast<Colour>(std::stoul(arg, nullptr, 16)); };
  try {
    if (verb == "Target") bar.Target(arg == "none" ? nullptr : &target);
    else if (verb == "Value") bar.Value(std::stoi(arg));
    else if (verb == "BarColor") bar.BarColor(colour());
    else if (verb == "BackColor") bar.BackColor(colour());
    else if (verb == "Max") bar.Max(std::stoi(arg));
    else if (verb == "Unit") bar.Unit(arg);
    else if (verb == "ValueShow") bar.ValueShow(arg == "1");
    else if (verb == "Style") bar.Style(std::stoi(arg));
    else if (verb == "get") {
      std::istringstream w(arg);
      std::string name, want;
      w >> name;
      std::getline(w >> std::ws, want);
      const std::string got = name == "Value" ? std::to_string(bar.Value())
                              : name == "Max" ? std::to_string(bar.Max())
                              : name == "Style" ? std::to_string(bar.Style())
                              : name == "Unit" ? bar.Unit()
                              : name == "ValueShow" ? std::string(bar.ValueShow() ? "1" : "0")
                              : name == "BarColor" ? hex_colour(bar.BarColor())
                                                   : hex_colour(bar.BackColor());
      EXPECT_EQ(got, want) << where << ": " << name;
    } else ADD_FAILURE() << where << ": unknown line " << verb;
  } catch (const Error& e) {
    return std::string("error ") + e.what();
  }
  return "";
}

// Calls `line(where, verb, rest)` for each line of each script.
inline void each_bar_script(const std::function<void(const std::string& script)>& begin,
                            const std::function<void(const std::string&, const std::string&, const std::string&)>& line) {
  namespace fs = std::filesystem;
  int scripts = 0;
  for (const auto& file : fs::directory_iterator(fs::path(QUILLON_TEST_DATA_DIR) / "progress_bar")) {
    ++scripts;
    const std::string name = file.path().filename().string();
    begin(name);
    std::ifstream in(file.path());
    int n = 0;
    for (std::string text; std::getline(in, text);) {
      ++n;
      if (text.empty() || text[0] == '#') continue;
      const std::size_t space = text.find(' ');
      line(name + ":" + std::to_string(n), text.substr(0, space),
           space == std::string::npos ? "" : text.substr(space + 1));
    }
    line(name + ":end", "end", "");
  }
  EXPECT_GE(scripts, 5);
}

}  // namespace quillon::testing
