// Draws the main window and the settings dialog into PNGs:
//   quillon_screenshots OUT_DIR
// Runs on whatever platform Qt is given (scripts/screenshots uses Xvfb, so real
// fonts are used). Settings come from a throwaway folder.
#include <QApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QThread>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/program.h"
#include "app/qt/qt_toolkit.h"
#include "app/settings.h"
#include "platform/cp932.h"
#include "support/scripted.h"
#include "support/temp_dir.h"
#include "widgets/qt/form_support.h"

namespace {

void settle() {
  for (int i = 0; i < 20; ++i) {
    QCoreApplication::processEvents();
    QThread::msleep(10);
  }
}

bool save(QWidget* w, const std::string& path) {
  settle();
  const bool ok = w->grab().save(QString::fromStdString(path), "PNG");
  std::fprintf(stderr, "%s %s (%dx%d)\n", ok ? "wrote" : "cannot write", path.c_str(),
               w->width(), w->height());
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: quillon_screenshots OUT_DIR\n");
    return 2;
  }
  const std::string out = argv[1];
  quillon::testing::TempDir config;
  ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("quillon"));
  QApplication::setQuitOnLastWindowClosed(false);

  using quillon::cp932::from_utf8;
  quillon::Settings s;
  s.csv_path = "/home/ham/tarnis/tarnis.csv";
  s.xml_path = "/home/ham/tarnis/qsoupdata.xml";
  s.callsign = "JA1ZZZ";
  s.server_password = "secret";
  s.my_portable = "/1";
  s.hangup_on_exit = 1;
  s.address1 = from_utf8("東京都千代田区丸の内1-1-1");
  s.address2 = from_utf8("クイロンビル 3階");
  s.address3 = "JAPAN";
  s.design_no = "12";
  s.qsl_path = "/home/ham/qsl";
  s.log_search = 1;
  s.qsl_name = from_utf8("山田 太郎");
  std::filesystem::create_directories(config.path() / "quillon");
  quillon::write_settings((config.path() / "quillon" / "qsodata.qsl").string(), s);

  quillon::set_message_box_hook([](QWidget*, const QString& text) {
    std::fprintf(stderr, "message: %s\n", text.toUtf8().constData());
  });
  quillon::Program::Options o;
  quillon::testing::Transcript transcript;
  o.inet = std::make_unique<quillon::testing::ScriptedInternet>(transcript);
  quillon::QtToolkit toolkit([] {});
  quillon::Program program(toolkit, std::move(o));
  if (!program.start()) return 1;

  bool ok = save(dynamic_cast<QWidget*>(program.main_window()), out + "/main-window.png");
  program.open_settings();
  ok = save(dynamic_cast<QWidget*>(program.settings_dialog()), out + "/settings-dialog.png") && ok;
  return ok ? 0 : 1;
}
