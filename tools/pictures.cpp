// Draws the pictures of README: both windows, the main window's question, its
// status line falling back to passive mode and the progress bar at 0, 37 and
// 100 %, as PNGs in OUT_DIR. scripts/screenshots runs it under Xvfb, so that
// the fonts are the system's. Settings come from a throwaway folder.
#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QPixmap>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/program.h"
#include "app/settings.h"
#include "ftp/ftp_texts.h"
#include "platform/cp932.h"
#include "qt/form_support.h"
#include "qt/qimage_surface.h"
#include "qt/qt_toolkit.h"
#include "widgets/progress_bar.h"

namespace {

bool save(const QImage& image, const QString& path) {
  const bool ok = image.save(path, "PNG");
  std::fprintf(stderr, "%s %s\n", ok ? "wrote" : "cannot write", qPrintable(path));
  return ok;
}

bool save(QWidget* window, const QString& path) {
  for (int i = 0; i < 20; ++i) {  // let the window settle
    QCoreApplication::processEvents();
    QThread::msleep(10);
  }
  return save(window->grab().toImage(), path);
}

quillon::Settings example_settings() {
  using quillon::cp932::from_utf8;
  return {"/home/ham/tarnis/tarnis.csv",
          "/home/ham/tarnis/qsoupdata.xml",
          "JA1ZZZ",
          "secret",
          "/1",
          1,
          from_utf8("東京都千代田区丸の内1-1-1"),
          from_utf8("クイロンビル 3階"),
          "JAPAN",
          "12",
          "/home/ham/qsl",
          1,
          from_utf8("山田 太郎")};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: quillon_pictures OUT_DIR\n");
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  const std::filesystem::path config = std::filesystem::temp_directory_path() / "quillon-pictures";
  std::filesystem::create_directories(config / "quillon");
  ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  quillon::write_settings((config / "quillon" / "qsodata.qsl").string(), example_settings());

  QApplication app(argc, argv);
  quillon::prepare_application();
  quillon::set_message_box_hook(
      [](QWidget*, const QString& text) { std::fprintf(stderr, "message: %s\n", text.toUtf8().constData()); });
  bool ok = true;
  {
    quillon::QtToolkit toolkit([] {});
    quillon::Program program(toolkit);
    if (!program.start()) return 1;
    ok = save(dynamic_cast<QWidget*>(program.main_window()), out + "/main-window.png");
    // The status line while the run falls back to passive mode.
    program.main_window()->set_status(quillon::ftp_text::to_passive());
    ok = save(dynamic_cast<QWidget*>(program.main_window()), out + "/main-window-fallback.png") && ok;
    // The question of a log with one of three contacts sent, as the window asks it.
    quillon::SentReport report;
    report.contacts = 3;
    report.sent = 1;
    report.runs.push_back({{}, 1});
    report.runs.back().entry.started = "2026-12-01T21:30:45+09:00";
    QTimer::singleShot(500, [&] {
      if (QWidget* box = QApplication::activeModalWidget()) {
        ok = save(box, out + "/question-qt.png") && ok;
        box->close();
      }
    });
    quillon::WindowRun(*program.main_window(), program.state().ftp).decide(report);
    program.open_settings();
    ok = save(dynamic_cast<QWidget*>(program.settings_dialog()), out + "/settings-dialog.png") && ok;
  }
  // Picture1 of the main window, with a Japanese font for the caption.
  quillon::QImageSurface pic(QSize(249, 17));
  QFont font = pic.font();
  if (QFontDatabase::families().contains(QStringLiteral("IPAGothic"))) font.setFamily(QStringLiteral("IPAGothic"));
  pic.set_font(font);
  quillon::clsProgressBar bar;
  bar.Target(&pic);
  for (int v : {0, 37, 100}) {
    bar.Value(v);
    ok = save(pic.image(), out + QStringLiteral("/progress-bar-%1.png").arg(v)) && ok;
  }
  std::filesystem::remove_all(config);
  return ok ? 0 : 1;
}
