// Test support: explicit automata built as the source reader builds them.
#ifndef AUTOMATON_BUILDER_H
#define AUTOMATON_BUILDER_H

#include <initializer_list>
#include <string>

#include "statement_automaton.h"

inline State* addState(Automaton* a, const std::string& n, std::initializer_list<Signal*> moore = {}) {
  State* s = new State(n);
  s->moore.assign(moore);
  (*a->state_table)[n] = s;
  return s;
}

inline Transition* addArc(Automaton* a, State* from, State* to, Expression* trigger,
                          int kind = Transition::strong_kind, std::initializer_list<Signal*> actions = {}) {
  Transition* t = new Transition;
  t->source = from;
  t->target = to;
  t->trigger = trigger;
  t->kind = kind;
  t->actions->assign(actions);
  a->transition_list->push_back(t);
  return t;
}

inline Transition* addStart(Automaton* a, State* to, Expression* trigger = nullptr) {
  Transition* t = addArc(a, nullptr, to, trigger);
  t->initial = true;
  return t;
}

// Start -> A; A --trigger--> B, and B --trigger--> A when back. A emits in_a (when not
// null), B emits in_b.
inline void addToggle(Automaton* a, Expression* trigger, Signal* in_a, Signal* in_b, bool back) {
  State* sa = in_a != nullptr ? addState(a, "A", {in_a}) : addState(a, "A");
  State* sb = addState(a, "B", {in_b});
  addStart(a, sa);
  addArc(a, sa, sb, trigger);
  if (back) addArc(a, sb, sa, trigger);
}

#endif
