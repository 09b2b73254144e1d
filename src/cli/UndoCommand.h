// nubrix-clean runs | undo: the cleanup run log from the command line.
//   nubrix-clean runs                  id TAB time TAB items TAB bytes TAB still in the trash TAB
//                                      command, newest first
//   nubrix-clean undo [--make-folders] [RUN]
//                                      puts back what the run (default: the last one not undone)
//                                      moved to the trash; each path put back on out, each one
//                                      that stayed on err
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace nubrix {

// arguments without the "runs" or "undo" word. Exit status: 0 done, 1 something stayed in the
// trash (or nothing to undo, or the log cannot be read), 2 a wrong call or an unknown run.
int RunRuns(const std::vector<std::string>& arguments, const std::string& database,
            std::ostream& out, std::ostream& err);
int RunUndo(const std::vector<std::string>& arguments, const std::string& database,
            std::ostream& out, std::ostream& err);

}  // namespace nubrix
