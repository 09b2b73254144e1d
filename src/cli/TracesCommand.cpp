#include "cli/TracesCommand.h"

#include <algorithm>
#include <array>
#include <functional>
#include <stdexcept>
#include <string_view>

#include "cleaners/IE_Cache_Hist.h"
#include "platform/Paths.h"

namespace nubrix {

namespace {

constexpr std::array<std::string_view, 6> kTraceNames = {
    "cache", "history", "typed-addresses", "recent-documents", "media-history", "trash"};

constexpr const char* kUsage =
    "usage: nubrix-clean traces [--preview]\n"
    "       nubrix-clean traces --clear cache|history|typed-addresses|recent-documents|"
    "media-history|trash...\n";

std::string ProfileName(const TProfilePreview& profile) {
  return profile.Browser + " (profile " + profile.Name + ")";
}

std::string Rows(const TProfilePreview& profile, int rows, const char* unit) {
  if (!profile.HasHistory) return "no history";
  return rows < 0 ? std::string("unreadable") : std::to_string(rows) + " " + unit;
}

void PreviewBrowsers(const TTraceEnvironment& environment, std::ostream& out) {
  const TIEStuff stuff(platform::FindBrowserProfiles(environment.Homes));
  for (const TProfilePreview& profile : stuff.Preview()) {
    const std::string where = ProfileName(profile);
    const std::string running = profile.Running ? "\trunning: left alone" : "";
    out << "cache\t" << where << '\t' << profile.CacheFiles << " files\t" << profile.CacheBytes
        << " bytes" << running << '\n';
    out << "history\t" << where << '\t' << Rows(profile, profile.HistoryRows, "visits") << running
        << '\n';
    out << "typed-addresses\t" << where << '\t' << Rows(profile, profile.TypedRows, "records")
        << running << '\n';
  }
}

void Preview(const TTraceEnvironment& environment, platform::IRegistryStore& registry,
             std::ostream& out) {
  PreviewBrowsers(environment, out);
  out << "typed-addresses\tregistry\t"
      << CountKeyValues(registry, platform::kHkeyCurrentUser, kTypedUrlsKey) << " values\n";
  out << "recent-documents\tdesktop\t"
      << CountRecentDocuments(environment.DataHome, environment.KdeRecent) << " entries\n";
  out << "media-history\tregistry\t"
      << CountKeyValues(registry, platform::kHkeyCurrentUser, kMediaHistoryKey) << " values\n";
  std::string vlc;
  const int vlcEntries =
      platform::ReadWholeFile(environment.VlcConfig, vlc) ? CountVlcRecent(vlc) : 0;
  out << "media-history\tVLC\t" << vlcEntries << " files\n";
  const TTrashPreview trash = PreviewTrash(environment.TrashPaths());
  out << "trash\ttrash\t" << trash.Items << " items\t" << trash.Bytes << " bytes\n";
}

// Each part that went prints its line; the refusals pass on together.
void PrintParts(const TTraceParts& parts, std::ostream& out) {
  for (const std::string& done : parts.Done()) out << done;
  if (parts.Refused().empty()) return;
  std::string refusals;
  for (const std::string& refusal : parts.Refused())
    refusals += (refusals.empty() ? "" : "; ") + refusal;
  throw TTraceError(refusals);
}

// Clears one trace; what it did goes to out.
void Clear(std::string_view name, const TTraceEnvironment& environment,
           platform::IRegistryStore& registry, std::ostream& out) {
  const auto browsers = [&] { return TIEStuff(platform::FindBrowserProfiles(environment.Homes)); };
  if (name == "cache") {
    const TCacheResult result = browsers().ClearCache();
    out << "cache\t" << result.Removed << " files removed\n";
    if (!result.Skipped.empty()) throw TTraceError(result.Skipped.front() + ": cache left alone");
  } else if (name == "history") {
    browsers().ClearHistory();
    out << "history\tcleared\n";
  } else if (name == "typed-addresses") {
    TTraceParts parts;
    parts.Run([&] {
      const int values = ClearKeyValues(registry, platform::kHkeyCurrentUser, kTypedUrlsKey);
      return "typed-addresses\tregistry\t" + std::to_string(values) + " values\n";
    });
    parts.Run([&] {
      browsers().ClearTypedAddresses();
      return std::string("typed-addresses\tbrowsers\tcleared\n");
    });
    PrintParts(parts, out);
  } else if (name == "recent-documents") {
    const TRecentResult result = ClearRecentDocuments(environment.DataHome, environment.KdeRecent);
    out << "recent-documents\t" << result.Entries + result.KdeRemoved << " entries\n";
  } else if (name == "media-history") {
    TTraceParts parts;
    parts.Run([&] {
      const int values = ClearKeyValues(registry, platform::kHkeyCurrentUser, kMediaHistoryKey);
      return "media-history\tregistry\t" + std::to_string(values) + " values\n";
    });
    parts.Run([&] {
      const int files = ClearVlcRecent(environment.VlcConfig);
      return "media-history\tVLC\t" + std::to_string(files) + " files\n";
    });
    PrintParts(parts, out);
  } else {
    const platform::TEmptyResult result = environment.EmptyTrash();
    out << "trash\t" << result.Removed << " items removed\n";
    if (!result.Failures.empty()) throw std::runtime_error(result.Failures.front());
  }
}

}  // namespace

int RunTraces(const std::vector<std::string>& arguments, const TTraceEnvironment& environment,
              platform::IRegistryStore& registry, std::ostream& out, std::ostream& err) {
  if (arguments.empty() || (arguments.size() == 1 && arguments[0] == "--preview")) {
    Preview(environment, registry, out);
    return 0;
  }
  const bool known =
      std::all_of(arguments.begin() + 1, arguments.end(), [](const std::string& name) {
        return std::find(kTraceNames.begin(), kTraceNames.end(), name) != kTraceNames.end();
      });
  if (arguments[0] != "--clear" || arguments.size() < 2 || !known) {
    err << kUsage;
    return 2;
  }
  int status = 0;
  for (auto name = arguments.begin() + 1; name != arguments.end(); ++name) {
    try {
      Clear(*name, environment, registry, out);
    } catch (const std::exception& error) {
      err << "nubrix-clean: " << *name << ": " << error.what() << '\n';
      status = 1;
    }
  }
  return status;
}

}  // namespace nubrix
