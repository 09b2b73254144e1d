// nubrix-clean: the cleaners from the command line, through the same operations the window calls.
//   nubrix-clean temp-files [--mask M]... [--template FILE] [--trash] FOLDER
//                                                  size in bytes TAB path, a line per row of the
//                                                  temp-file page's search of FOLDER
//   nubrix-clean shortcuts FOLDER                  condition TAB target TAB shortcut path
//   nubrix-clean empty-folders [--trash] FOLDER    one empty folder a line; --trash moves every
//                                                  empty folder below FOLDER to the trash
//   nubrix-clean duplicates ... FOLDER            see DuplicatesCommand.h
//   nubrix-clean traces [--preview | --clear NAME...]  see TracesCommand.h
//   nubrix-clean runs | undo [--make-folders] [RUN]   see UndoCommand.h
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace nubrix {

// The exit status: 0 done, 1 something could not go to the trash (named on err), 2 a wrong call
// or a folder that cannot be read (named on err, nothing on out). Cleanups that move things to
// the trash are kept in databaseFile (empty: the program's database in the settings folder).
int RunClean(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
             const std::string& databaseFile = {});

}  // namespace nubrix
