
#include "app/history.h"
#include "app/upload_run.h"
#include "commands.h"
#include "console.h"
#include "conversion/conversion.h"
#include "platform/clock.h"
#include "platform/cp932.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/terminal.h"
#include "text.h"

namespace quillon::cli {

int convert(const std::vector<std::string>& args) {
  const CommandSpec& command = command_spec("convert");
  const ParsedOptions options = parse_options(args, command);
  if (options.error) return usage_error(command, *options.error);
  if (options.help) return print_usage(command);
  const bool json = options.flags.count("--json") > 0;
  Settings settings;
  ContactLog log;
  const char* stage = "settings";
  // The history line's fields that a conversion has, and where the document went.
  auto result = [&](const std::string& error) {
    nlohmann::ordered_json r{
        {"outcome", error.empty() ? "ok" : stage},
        {"records", log.log_count},
        {"bytes", error.empty() ? platform::file_size(platform::native_path(settings.xml_path)) : 0},
        {"log_fnv1a", log.data.empty() ? "" : fnv1a_hex(log.data)},
        {"out", for_terminal(settings.xml_path)}};
    if (!error.empty()) r["error"] = error;
    print_json(r);
  };
  try {
    settings = read_settings(option_or(options, "--settings", default_settings_path()));
    stage = "log";
    // The settings hold paths in code page 932; the command line names them natively.
    if (auto csv = options.values.find("--csv"); csv != options.values.end())
      settings.csv_path = cp932::from_utf8(csv->second, "--csv");
    if (auto out = options.values.find("--out"); out != options.values.end())
      settings.xml_path = cp932::from_utf8(out->second, "--out");
    read_log(settings.csv_path, log);
    stage = "convert";
    platform::SystemClock clock;
    koushin(log, head_values(settings), settings.xml_path, clock, kXmlDeclaration);
  } catch (const Error& e) {
    platform::write_text(platform::Stream::Err, "quillon-cli convert: " + e.utf8() + "\n");
    if (json) result(e.utf8());
    return kExitFailed;
  }
  if (json) {
    result("");
    return kExitOk;
  }
  const std::string records = trn("{n} record", "{n} records", static_cast<std::size_t>(log.log_count));
  platform::write_text(platform::Stream::Out,
                       fill(tr("{1} written to {2}"), {records, for_terminal(settings.xml_path)}) + "\n");
  return kExitOk;
}

}  // namespace quillon::cli
