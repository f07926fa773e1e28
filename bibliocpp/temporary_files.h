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

// Makes temporary (open with O_EXCL, mode 0666 less the umask) and registers it for removal when
// this process ends by exit, SIGINT or SIGTERM (whose handlers are installed with the first
// call where the signal's action is the default one, and end the process with the signal once
// the temporaries are removed). Returns its descriptor, with errno set on failure (-1), and
// sets slot to its registration, -1 when the fixed table is full or the path is longer than a
// path may be (then it is not registered). Those signals are held while the file is made, and
// a thread that begins making one after the handler has started waits for the end: no
// temporary made by another thread while the handler removes them is left behind.
int open_temporary(const std::string& temporary, int& slot);

// Forgets a slot of open_temporary (nothing for -1), once its temporary is renamed or
// removed.
void release_temporary(int slot);

// Removes the temporaries of path that a process that no longer exists left in its folder: the
// folder is read once per process, the first time a temporary of it is asked for.
void remove_stale_temporaries(const std::string& path);

#endif
