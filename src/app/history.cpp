#include "app/history.h"

#include <algorithm>
#include <cstdio>

#include "platform/cp932.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace quillon {

nlohmann::ordered_json to_json(const HistoryEntry& e) {
  return {{"started", e.started}, {"remote_name", e.remote_name}, {"host", e.host},
          {"port", e.port},       {"records", e.records},         {"bytes", e.bytes},
          {"log_fnv1a", e.log_fnv1a}, {"outcome", e.outcome},     {"error", e.error},
          {"reply", e.reply},     {"elapsed_s", e.elapsed_s}};
}

std::string json_line(const nlohmann::ordered_json& object) {
  return object.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::optional<HistoryEntry> parse_history_line(std::string_view line) {
  const nlohmann::json j = nlohmann::json::parse(line, nullptr, false);
  if (j.is_discarded() || !j.is_object()) return std::nullopt;
  try {
    HistoryEntry e{j.at("started").get<std::string>(),   j.at("remote_name").get<std::string>(),
                   j.at("host").get<std::string>(),      j.at("port").get<int>(),
                   j.at("records").get<int>(),           j.at("bytes").get<long long>(),
                   j.at("log_fnv1a").get<std::string>(), j.at("outcome").get<std::string>(),
                   j.at("error").get<std::uint32_t>(),   j.at("reply").get<std::string>(),
                   j.at("elapsed_s").get<double>()};
    const bool known = e.outcome == "ok" || std::find_if(std::begin(kStages), std::end(kStages), [&](const char* s) {
                                              return e.outcome == s;
                                            }) != std::end(kStages);
    if (known) return e;
  } catch (const nlohmann::json::exception&) {
  }
  return std::nullopt;
}

std::string history_path() {
  return platform::settings_folder() + platform::kPathSeparator + "uploads.jsonl";
}

std::vector<HistoryEntry> read_history(const std::string& path) {
  std::vector<HistoryEntry> out;
  std::string data;
  if (!platform::read_whole_file(path, data)) return out;
  std::string_view rest = data;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    if (auto e = parse_history_line(rest.substr(0, end))) out.push_back(std::move(*e));
    rest.remove_prefix(end == rest.npos ? rest.size() : end + 1);
  }
  return out;
}

bool append_history(const std::string& path, const HistoryEntry& entry, std::string& why) {
  if (platform::append_line(path, json_line(to_json(entry)), why)) return true;
  why = cp932::to_utf8_lossy(why);
  return false;
}

std::string fnv1a_hex(std::string_view bytes) {
  std::uint64_t h = 0xcbf29ce484222325ull;
  for (const unsigned char c : bytes) h = (h ^ c) * 0x100000001b3ull;
  char buf[17];
  std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(h));
  return buf;
}

}  // namespace quillon
