#pragma once
// A form's description laid out in Qt widgets.
#include <QWidget>

#include "app/forms.h"

namespace quillon {

// The window flags of a form: a title bar with its menu and close box; a frame
// of fixed size unless the form resizes.
Qt::WindowFlags form_flags(const form::Form& form);

// Titles `window` and makes every control of `form` on it, named as the form
// names it, then sets the focus order. Handlers are the caller's to connect.
void lay_out(QWidget* window, const form::Form& form);

// The control the form calls `name`.
template <class Widget>
Widget* control(const QWidget* window, const char* name) {
  return window->findChild<Widget*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
}

}  // namespace quillon
