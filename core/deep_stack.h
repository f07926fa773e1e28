// The compiler's walks (statements, BDD operations, wire chains, data expressions) recurse as
// deep as the program is long, which overflows a usual thread stack for long programs the source
// reader accepts. The compile steps run on a thread whose stack is sized far beyond what a
// program that fits in memory needs.
#ifndef DEEP_STACK_H
#define DEEP_STACK_H

#include <functional>

// Runs f on a thread with a deep stack while the calling thread waits; an exception of f is
// thrown again here. Runs f at once when already on such a thread, or when no such thread can
// be started. The threads are kept for later calls (one for each caller at a time); the stack
// pages f touched are given back when it returns.
void run_on_deep_stack(const std::function<void()>& f);

#endif
