// nubrix-clean traces: what each trace command would clear, and clearing the ones named.
//   nubrix-clean traces [--preview]               a line per trace: name TAB where TAB count ...
//   nubrix-clean traces --clear NAME...           NAME: cache, history, typed-addresses,
//                                                 recent-documents, media-history, trash
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cleaners/TraceCleaning.h"

namespace nubrix {

// arguments: what follows "traces". 0 done, 1 a clearing was refused (reason on err), 2 a wrong
// call.
int RunTraces(const std::vector<std::string>& arguments, const TTraceEnvironment& environment,
              platform::IRegistryStore& registry, std::ostream& out, std::ostream& err);

}  // namespace nubrix
