// Memory use of the running process, to watch its growth between two points of a computation.
#ifndef BIBLIOCPP_STAT_PROCESSUS_H
#define BIBLIOCPP_STAT_PROCESSUS_H

// The process's virtual size in kilobytes (VmSize of /proc/self/status); 0 when it cannot be read.
long used_mem();
// used_mem() minus the value the previous call returned (the whole value on the first call).
long diff_used_mem();

#endif
