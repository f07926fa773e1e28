// Stand-in for the Nothing statement of the statement compiler, which the source reader makes
// for an empty module body and for 'nothing': a statement with a name and an owning module
// only. The statement compiler's own class takes its place.
#ifndef JX_NOTHING_H
#define JX_NOTHING_H

#include <string>

#include "statement.h"

class Nothing : public Statement {
 public:
  Nothing(const std::string& name, Module* module) : Statement(name, module) {}
};

#endif
