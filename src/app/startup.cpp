#include "app/startup.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPolygon>
#include <QScreen>

#include <utility>

#include "app/frmstartftp.h"
#include "build_config.h"
#include "platform/cp932.h"
#include "platform/paths.h"
#include "settings_dialog/Frmsetteiftp.h"

namespace quillon {

AppController::AppController() : AppController(Options{}) {}

AppController::AppController(Options options)
    : inet_(std::move(options.inet)),
      clock_(std::move(options.clock)),
      ftp_host_(options.ftp_host.empty() ? std::string(build::kFtpHost) : options.ftp_host),
      ftp_port_(options.ftp_port == 0 ? build::kFtpPort : options.ftp_port),
      message_hook_(std::move(options.message_hook)),
      on_end_(std::move(options.on_end)) {
  if (!inet_) inet_ = platform::make_curl_internet();
  if (!clock_) clock_ = std::make_unique<platform::SystemClock>();
}

AppController::~AppController() {
  // Picture1 dies with the main window; the bar must not keep pointing at it.
  if (state_.progress_bar) state_.progress_bar->Target(nullptr);
  delete main_;
  delete dialog_;
  for (const QPointer<QWidget>& w : retired_) delete w.data();
}

bool AppController::start() {
  state_.format_tag = kFormatTag;
  state_.remote_ext = kRemoteExt;

  main_ = new frmstartftp(*this);
  main_->Form_Load();
  if (ended_) {
    delete main_;
    main_ = nullptr;
    return false;
  }
  centre_on_screen(main_);
  main_->show();
  centre_on_screen(main_);  // again, now that the frame is known
  return true;
}

FtpEnv AppController::ftp_env(MainView& view) {
  return FtpEnv{state_, view, *inet_, *clock_, ftp_host_, ftp_port_};
}

std::string AppController::lock_path() {
  return platform::settings_folder() + platform::kPathSeparator + "quillon.lock";
}

bool AppController::claim_single_instance() {
  if (!instance_lock_) instance_lock_ = platform::InstanceLock::acquire(lock_path());
  return instance_lock_ != nullptr;
}

void AppController::message_box(QWidget* parent, const QString& text) {
  if (message_hook_) {
    message_hook_(parent, text);
    return;
  }
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("quillon"), text, QMessageBox::Ok, parent);
  box.setWindowIcon(quillon_icon());
  box.exec();
}

void AppController::open_settings() {
  frmstartftp* old = main_;
  auto* dialog = new Frmsetteiftp(*this);
  dialog_ = dialog;
  dialog->Form_Load();  // ends by showing the dialog
  if (state_.progress_bar) state_.progress_bar->Target(nullptr);
  main_ = nullptr;
  retire(old);
}

void AppController::open_main() {
  Frmsetteiftp* old = dialog_;
  auto* window = new frmstartftp(*this);
  main_ = window;
  // The load's messages come while the dialog still stands, so the screen is
  // never without a window of ours.
  window->Form_Load();
  centre_on_screen(window);
  window->show();
  centre_on_screen(window);
  dialog_ = nullptr;
  retire(old);
}

void AppController::close_main_and_end() {
  frmstartftp* old = main_;
  main_ = nullptr;
  retire(old);
  end_program();
}

void AppController::window_closed_by_user(QWidget* window) {
  if (window == main_) {
    if (state_.progress_bar) state_.progress_bar->Target(nullptr);
    main_ = nullptr;
  } else if (window == dialog_) {
    dialog_ = nullptr;
  } else {
    return;
  }
  retire(window);
  end_program();
}

void AppController::retire(QWidget* window) {
  if (window == nullptr) return;
  window->hide();
  // Often called from one of the window's own handlers: delete it once they return.
  window->deleteLater();
  retired_.emplace_back(window);
}

void AppController::end_program() {
  ended_ = true;
  if (on_end_) {
    on_end_();
  } else {
    QCoreApplication::quit();
  }
}

// --- icon --------------------------------------------------------------------

QImage quillon_icon_image() {
  QImage image(32, 32, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing, false);
  const QColor navy(0, 0, 128), white(255, 255, 255), red(192, 0, 0), gold(224, 160, 0),
      gray(128, 128, 128);
  // A QSL card.
  p.fillRect(1, 6, 28, 21, navy);
  p.fillRect(3, 8, 24, 17, white);
  p.fillRect(5, 11, 12, 2, red);
  p.fillRect(5, 15, 16, 1, gray);
  p.fillRect(5, 18, 16, 1, gray);
  p.fillRect(5, 21, 10, 1, gray);
  // The quill across its corner.
  p.setPen(Qt::NoPen);
  p.setBrush(gold);
  p.drawPolygon(QPolygon({QPoint(31, 0), QPoint(26, 2), QPoint(19, 11), QPoint(18, 16),
                          QPoint(22, 14), QPoint(29, 6)}));
  p.setPen(QPen(navy, 1));
  p.drawLine(30, 1, 17, 18);
  p.drawLine(17, 18, 16, 20);
  p.end();
  // A paletted picture, as the window icons of the platform are.
  return image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
}

QIcon quillon_icon() {
  static const QIcon icon(QPixmap::fromImage(quillon_icon_image()));
  return icon;
}

// --- text at the edge -----------------------------------------------------------

QString from_cp932(std::string_view bytes) {
  try {
    return QString::fromStdString(cp932::to_utf8(bytes));
  } catch (const cp932::EncodingError&) {
  }
  QString out;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    const bool single = lead < 0x80 || (lead >= 0xA1 && lead <= 0xDF);
    const std::size_t len = single ? 1 : 2;
    try {
      out += QString::fromStdString(cp932::to_utf8(bytes.substr(i, len)));
      i += len;
    } catch (const cp932::EncodingError&) {
      out += QChar(0xFFFD);
      ++i;
    }
  }
  return out;
}

std::string to_cp932(const QString& text, std::string_view what) {
  return cp932::from_utf8(text.toStdString(), what);
}

QFont form_font(const QStringList& families, double points, bool bold, bool italic) {
  QFont font;
  font.setFamilies(families);
  font.setPixelSize(static_cast<int>(points * 96.0 / 72.0 + 0.5));
  font.setWeight(bold ? QFont::Bold : QFont::Normal);
  font.setItalic(italic);
  return font;
}

QStringList ms_gothic() {
  return {QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic"), QStringLiteral("IPAGothic"),
          QStringLiteral("monospace")};
}

QStringList ms_pgothic() {
  return {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
          QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")};
}

QStringList ms_serif() {
  return {QStringLiteral("MS Serif"), QStringLiteral("Times New Roman"),
          QStringLiteral("DejaVu Serif"), QStringLiteral("serif")};
}

QStringList courier_new() {
  return {QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"),
          QStringLiteral("DejaVu Sans Mono"), QStringLiteral("monospace")};
}

void centre_on_screen(QWidget* window) {
  QScreen* screen = window->screen();
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  const QSize size = window->frameGeometry().size();
  window->move(area.x() + (area.width() - size.width()) / 2,
               area.y() + (area.height() - size.height()) / 2);
}

}  // namespace quillon
