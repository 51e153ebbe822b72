// Writes the program icon as a PNG for the desktop: quillon_make_icon OUT.png
#include <cstdio>

#include "qt/form_support.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: quillon_make_icon OUT.png\n");
    return 2;
  }
  if (!quillon::quillon_icon_image().save(QString::fromLocal8Bit(argv[1]), "PNG")) {
    std::fprintf(stderr, "quillon_make_icon: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
