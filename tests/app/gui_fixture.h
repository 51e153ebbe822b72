#pragma once
// A real Qt application on the offscreen platform under the program fixture.
#include <gtest/gtest.h>

#include <QApplication>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/program.h"
#include "app/qt/frmstartftp.h"
#include "app/qt/qt_toolkit.h"
#include "app/settings.h"
#include "settings_dialog/Frmsetteiftp.h"
#include "support/program_fixture.h"
#include "widgets/qt/form_support.h"

namespace quillon::testing {

class GuiTest : public ProgramFixture {
 protected:
  GuiTest() {
    static int argc = 1;
    static char arg0[] = "quillon_gui_test", *argv[] = {arg0, nullptr};
    static QApplication* app = new QApplication(argc, argv);  // for the whole run
    (void)app;
    QApplication::setQuitOnLastWindowClosed(false);
    set_message_box_hook([this](QWidget*, const QString& text) { messages.push_back(text.toStdString()); });
  }
  ~GuiTest() override {
    program_.reset();
    flush_deletes();
    set_message_box_hook(nullptr);
  }
  Toolkit& toolkit() override { return toolkit_; }

  frmstartftp* main_window() { return dynamic_cast<frmstartftp*>(program_->main_window()); }
  Frmsetteiftp* dialog() { return dynamic_cast<Frmsetteiftp*>(program_->settings_dialog()); }
  Frmsetteiftp& open_dialog() {
    main_window()->Command1->click();
    flush_deletes();
    return *dialog();
  }
  // Deletes the windows the program closed, as the event loop would.
  static void flush_deletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

 private:
  QtToolkit toolkit_{[this] { ++quits; }};
};

}  // namespace quillon::testing
