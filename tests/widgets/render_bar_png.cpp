// Renders the progress bar as the main window shows it, one PNG per value:
//   quillon_render_bar_png OUT_DIR [VALUE...]   (default values 0 37 100)
// Files are named progress-bar-<value>.png.
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "widgets/progress_bar.h"
#include "widgets/qt/qimage_surface.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUT_DIR [VALUE...]\n", argv[0]);
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const QStringList args = QGuiApplication::arguments();

  std::vector<int> values;
  for (qsizetype i = 2; i < args.size(); ++i) {
    bool ok = false;
    values.push_back(args[i].toInt(&ok));
    if (!ok) {
      std::fprintf(stderr, "not a whole number: %s\n", qPrintable(args[i]));
      return 2;
    }
  }
  if (values.empty()) values = {0, 37, 100};

  try {
    // Picture1 of the main window.
    quillon::QImageSurface pic(QSize(249, 17));
    QFont font = pic.font();
    if (QFontDatabase::families().contains(QStringLiteral("IPAGothic"))) font.setFamily(QStringLiteral("IPAGothic"));
    pic.set_font(font);

    quillon::clsProgressBar bar;
    bar.Target(&pic);
    for (int v : values) {
      bar.Value(v);
      const QString path = args[1] + QStringLiteral("/progress-bar-%1.png").arg(v);
      if (!pic.image().save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
      }
      std::printf("%s\n", qPrintable(path));
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
