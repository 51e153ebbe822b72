#pragma once
// What the Qt forms share: the icon, the fonts, centring, the message box and
// the code page 932 edge.
#include <QFont>
#include <QIcon>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <string>
#include <string_view>

namespace quillon {

// The 32 x 32 program icon, drawn here rather than shipped as a picture.
QImage quillon_icon_image();
QIcon quillon_icon();

// CP932 bytes for display; bytes that are not CP932 show as U+FFFD, which a
// save then refuses, so nothing is silently altered.
QString from_cp932(std::string_view bytes);
// Throws an Error of Failed::Encoding naming `what` (CP932) for a character CP932 cannot hold.
std::string to_cp932(const QString& text, std::string_view what = "text");

// A form font: the first installed family of `families`, at the pixel size the
// points have at 96 dpi, since the forms are laid out in pixels.
QFont form_font(const QStringList& families, double points, bool bold = false, bool italic = false);
// Font families of the forms and what stands in for them on this system.
QStringList ms_gothic();    // "ＭＳ ゴシック", fixed pitch
QStringList ms_pgothic();   // "ＭＳ Ｐゴシック", proportional
QStringList ms_serif();     // "MS Serif"
QStringList courier_new();  // "Courier New"

// Places a top-level window in the middle of its screen's free area.
void centre_on_screen(QWidget* window);
// Shows it centred (again once the frame is known).
void show_centred(QWidget* window);

// OK button only, no icon, the title "quillon"; returns once it is dismissed.
void message_box(QWidget* parent, const QString& text);
// Tests answer the boxes themselves: the hook, when set, replaces the box.
using MessageBoxHook = std::function<void(QWidget* parent, const QString& text)>;
void set_message_box_hook(MessageBoxHook hook);
// Buttons of its own, left to right, the same title; the index of the one pressed.
int question_box(QWidget* parent, const QString& text, const QStringList& buttons, int enter, int escape);
using QuestionHook = std::function<int(const QString& text, const QStringList& buttons, int enter, int escape)>;
void set_question_hook(QuestionHook hook);

}  // namespace quillon
