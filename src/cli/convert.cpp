
#include "app/upload_run.h"
#include "commands.h"
#include "console.h"
#include "conversion/conversion.h"
#include "platform/clock.h"
#include "platform/cp932.h"
#include "platform/terminal.h"

namespace quillon::cli {
namespace {

constexpr const char* kUsage =
    "usage: quillon-cli convert [--settings FILE] [--csv FILE] [--out FILE]\n"
    "  --settings FILE  the settings file (default: qsodata.qsl in the settings folder)\n"
    "  --csv FILE       the exported log (default: the input file of the settings)\n"
    "  --out FILE       the upload document (default: the output file of the settings)\n";

}  // namespace

int convert(const std::vector<std::string>& args) {
  const ParsedOptions options = parse_options(args, {"--settings", "--csv", "--out"});
  if (options.error) {
    platform::write_text(platform::Stream::Err, "quillon-cli convert: " + *options.error + "\n" + kUsage);
    return kExitUsage;
  }
  if (options.help) {
    platform::write_text(platform::Stream::Out, kUsage);
    return kExitOk;
  }
  Settings settings;
  ContactLog log;
  try {
    settings = read_settings(option_or(options, "--settings", default_settings_path()));
    // The settings hold paths in code page 932; the command line names them natively.
    if (auto csv = options.values.find("--csv"); csv != options.values.end())
      settings.csv_path = cp932::from_utf8(csv->second, "--csv");
    if (auto out = options.values.find("--out"); out != options.values.end())
      settings.xml_path = cp932::from_utf8(out->second, "--out");
    read_log(settings.csv_path, log);
    platform::SystemClock clock;
    koushin(log, head_values(settings), settings.xml_path, clock, kXmlDeclaration);
  } catch (const Error& e) {
    platform::write_text(platform::Stream::Err, "quillon-cli convert: " + e.utf8() + "\n");
    return kExitFailed;
  }
  platform::write_text(platform::Stream::Out, std::to_string(log.log_count) + " records written to " +
                                                 for_terminal(settings.xml_path) + "\n");
  return kExitOk;
}

}  // namespace quillon::cli
