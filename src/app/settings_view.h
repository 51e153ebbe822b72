#pragma once
// The settings dialog as its logic sees it; Qt and Win32 implement it. Texts are
// CP932 bytes; the dialog converts them at its edge.
#include <string>
#include <string_view>

namespace quillon {

enum class SettingsBox {
  FrmsetteiftpText1,  // csv_path
  FRMsetteiftpText2,  // xml_path
  frmsetteiftpText3,  // callsign
  frmsetteiftpText4,  // server_password, masked
  settei_my_portable,
  settei_ad1,
  settei_ad2,
  settei_ad3,
  settei_design_no,
  settei_path,
  settei_name,
};
enum class SettingsCheck { Check_kiru, settei_log_Check };

// The controls' names in the form, in the order of the enums above.
inline constexpr const char* kSettingsBoxNames[] = {"FrmsetteiftpText1", "FRMsetteiftpText2",  "frmsetteiftpText3",
                                                    "frmsetteiftpText4", "settei_my_portable", "settei_ad1",
                                                    "settei_ad2",        "settei_ad3",         "settei_design_no",
                                                    "settei_path",       "settei_name"};
inline constexpr const char* kSettingsCheckNames[] = {"Check_kiru", "settei_log_Check"};
inline const char* name(SettingsBox box) { return kSettingsBoxNames[static_cast<int>(box)]; }
inline const char* name(SettingsCheck box) { return kSettingsCheckNames[static_cast<int>(box)]; }

class SettingsView {
 public:
  virtual ~SettingsView() = default;
  virtual void set_text(SettingsBox box, std::string_view text) = 0;
  // Throws an Error of Failed::Encoding for a character CP932 cannot hold.
  virtual std::string text(SettingsBox box) const = 0;
  virtual void set_checked(SettingsCheck box, bool checked) = 0;
  virtual bool checked(SettingsCheck box) const = 0;
  virtual void focus(SettingsBox box) = 0;
  // Dlg1: the platform's file-open dialog with OFN_HIDEREADONLY, opened on
  // `file_name`; the chosen full path, or empty when cancelled. Throws
  // an Error of Failed::Encoding for a name CP932 cannot hold.
  virtual std::string show_open(std::string_view file_name) = 0;
  virtual void message_box(std::string_view text) = 0;
  // Shown centred, the focus on path_sw1.
  virtual void show() = 0;
  virtual void close() = 0;
};

}  // namespace quillon
