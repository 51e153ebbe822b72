#include "app/forms.h"

#include "conversion/conversion.h"

namespace quillon::form {
namespace {

constexpr const char* kTitle = "Quillon for Tarnis";
constexpr const char* kMsGothic = "ＭＳ ゴシック";
constexpr const char* kMsPGothic = "ＭＳ Ｐゴシック";
constexpr Font gothic_11{kMsGothic, 11.25}, gothic_10{kMsGothic, 9.75}, gothic_9{kMsGothic, 9};
constexpr Font pgothic_10{kMsPGothic, 9.75}, pgothic_11{kMsPGothic, 11.25};
constexpr Font serif_12{"MS Serif", 12, false, false, true};
constexpr Font courier_12_bold_italic{"Courier New", 12, true, true, true};
using K = Kind;

// clang-format off
constexpr Control kMainControls[] = {
  {"ip_status", K::TextBox,    "",                      {16, 16, 249, 19}, pgothic_10, "処理ステータスを表示します。", kLightGray},
  {"cmdOK",     K::Button,     "アップロード開始",      {280, 16, 113, 25}, {}, nullptr, kLightGray},
  {"Label1",    K::Label,      "CSV > XML >>>> Varnel", {24, 48, 225, 25}, courier_12_bold_italic,
                                                                           "転送が始まると、ここに進行状況を表示します。"},
  {"Picture1",  K::PictureBox, "",                      {16, 48, 249, 17}},  // above Label1 while a transfer runs
  {"Command1",  K::Button,     "設定",                  {280, 48, 49, 25}},
  {"Cmdcancel", K::Button,     "終了",                  {344, 48, 49, 25}, {}, nullptr, kLightGray},
  // Never shown: it only holds the XML declaration.
  {"Label3",    K::Label,      kXmlDeclaration,         {328, 0, 49, 9}, {}, nullptr, kSystemColour, true},
};
constexpr const char* kMainTabs[] = {"cmdOK", "Command1", "Cmdcancel", "ip_status"};

constexpr Control kSettingsControls[] = {
  {"Label1",             K::Label,     "1.入力ファイル(CSV)",               {16, 8, 153, 17},   gothic_11},
  {"path_sw1",           K::Button,    "参照",                              {168, 8, 57, 17}},
  {"FrmsetteiftpText1",  K::TextBox,   "",                                  {240, 8, 345, 18}},
  {"Label2",             K::Label,     "2.出力ファイル(XML)",               {16, 40, 153, 17},  gothic_11},
  {"path_sw2",           K::Button,    "参照",                              {168, 40, 57, 17}},
  {"FRMsetteiftpText2",  K::TextBox,   "",                                  {240, 40, 345, 18}},
  {"Line1",              K::HLine,     "",                                  {8, 72, 585, 1}},
  {"Label4",             K::Label,     "3.詳細設定",                        {16, 80, 89, 17},   gothic_11},
  {"Label3",             K::Label,     "コールサイン",                      {16, 112, 97, 17},  pgothic_10},
  {"frmsetteiftpText3",  K::TextBox,   "",                                  {96, 104, 129, 25}, serif_12},
  {"Label5",             K::Label,     "サーバへのログインパスワード",      {16, 136, 185, 17}, pgothic_10},
  {"frmsetteiftpText4",  K::MaskedBox, "",                                  {16, 152, 209, 22}, pgothic_11},
  {"Label13",            K::Label,     "Your QSL Name",                     {16, 176, 105, 17}, gothic_10},
  {"settei_name",        K::TextBox,   "",                                  {16, 192, 209, 21}, gothic_10},
  {"Label12",            K::Label,     "My Portable",                       {16, 216, 89, 17},  gothic_10},
  {"settei_my_portable", K::TextBox,   "",                                  {16, 232, 209, 21}, gothic_10},
  {"Check_kiru",         K::CheckBox,  "プログラム終了時ダイヤルアップ切断", {16, 264, 217, 17}},
  {"Line2",              K::VLine,     "",                                  {240, 88, 1, 201}},
  {"Label7",             K::Label,     "Address1",                          {256, 88, 65, 17},  gothic_10},
  {"settei_ad1",         K::TextBox,   "",                                  {320, 88, 265, 19}, gothic_10},
  {"Label8",             K::Label,     "Address2",                          {256, 120, 65, 17}, gothic_10},
  {"settei_ad2",         K::TextBox,   "",                                  {320, 120, 265, 19}, gothic_10},
  {"Label9",             K::Label,     "Address3",                          {256, 152, 65, 17}, gothic_10},
  {"settei_ad3",         K::TextBox,   "",                                  {320, 152, 265, 19}, gothic_10},
  {"Label10",            K::Label,     "QSL Design-No or Filename",         {256, 184, 209, 17}, gothic_10},
  {"settei_design_no",   K::TextBox,   "",                                  {440, 184, 145, 18}, gothic_9},
  {"Label11",            K::Label,     "Path",                              {256, 216, 33, 17}, gothic_10},
  {"settei_path",        K::TextBox,   "",                                  {296, 216, 289, 18}, gothic_9},
  {"settei_log_Check",   K::CheckBox,  "Log Search",                        {272, 256, 97, 17}, gothic_10},
  {"Command1",           K::Button,    "ＯＫ",                              {392, 248, 89, 33}},
  {"Command2",           K::Button,    "キャンセル",                        {496, 248, 89, 33}},
};
constexpr const char* kSettingsTabs[] = {
  "path_sw1", "FrmsetteiftpText1", "path_sw2", "FRMsetteiftpText2", "frmsetteiftpText3", "frmsetteiftpText4",
  "settei_name", "settei_my_portable", "Check_kiru", "settei_ad1", "settei_ad2", "settei_ad3", "settei_design_no",
  "settei_path", "settei_log_Check", "Command1", "Command2"};
// clang-format on

}  // namespace

const Form kFrmstartftp{kTitle, 408, 82, false, kLightGray, {kMsPGothic, 9}, kMainControls, kMainTabs};
const Form kFrmsetteiftp{kTitle, 600, 296, true, kSystemColour, {kMsPGothic, 9}, kSettingsControls, kSettingsTabs};

const Control* Form::find(std::string_view name) const {
  for (const Control& c : controls)
    if (name == c.name) return &c;
  return nullptr;
}

}  // namespace quillon::form
