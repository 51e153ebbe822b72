// quillon-cli-reference KIND OUT [ja]: writes a manual page (in Japanese from
// the built-in catalog) or the completion, so that the build makes them from
// the same table as the usage texts.
#include <fstream>
#include <iostream>
#include <string_view>

#include "build_config.h"
#include "catalog.h"
#include "platform/messages.h"
#include "reference.h"

int main(int argc, char** argv) {
  if (argc != 3 && !(argc == 4 && std::string_view(argv[3]) == "ja")) {
    std::cerr << "usage: quillon-cli-reference cli-page|window-page|completion OUT [ja]\n";
    return 2;
  }
  if (argc == 4) quillon::platform::use_catalog(std::string(quillon::cli::japanese_catalog()));
  const std::string_view kind = argv[1];
  std::string text;
  if (kind == "cli-page") text = quillon::cli::manual_page_cli(quillon::build::kVersion);
  else if (kind == "window-page") text = quillon::cli::manual_page_window(quillon::build::kVersion);
  else if (kind == "completion") text = quillon::cli::bash_completion();
  else {
    std::cerr << "quillon-cli-reference: unknown kind " << kind << "\n";
    return 2;
  }
  std::ofstream out(argv[2], std::ios::binary);
  out << text;
  out.close();
  if (!out) {
    std::cerr << "quillon-cli-reference: cannot write " << argv[2] << "\n";
    return 1;
  }
  return 0;
}
