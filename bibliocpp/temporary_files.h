// The temporaries that whole_file writes beside its targets: their names, the table of those
// that this process has not yet replaced or removed, and the removal of those that an ended
// process left.
#ifndef BIBLIOCPP_TEMPORARY_FILES_H
#define BIBLIOCPP_TEMPORARY_FILES_H

#include <string>

// The n-th temporary of path in this process: path + "." + pid + "." + n + ".tmp", the name in
// its folder cut at its end before the suffix where the whole would pass the folder's longest
// file name (then the name is exactly that long).
std::string temporary_name(const std::string& path, unsigned long n);

// Registers temporary, before it is made, for removal when this process ends by exit, SIGINT or
// SIGTERM (whose handlers are installed with the first registration where the signal's action
// is the default one, and end the process with the signal once the temporaries are removed).
// Returns its slot, or -1 when the fixed table is full or the path is longer than a path may be
// (then it is not registered).
int register_temporary(const std::string& temporary);

// Forgets a slot of register_temporary (nothing for -1), once its temporary is renamed or
// removed.
void release_temporary(int slot);

// Removes the temporaries of path that a process that no longer exists left in its folder: the
// folder is read once per process, the first time a temporary of it is asked for.
void remove_stale_temporaries(const std::string& path);

#endif
