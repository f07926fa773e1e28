#include "statement_automaton.h"

#include <stdlib.h>

#include <iostream>

#include "Bddexpression.h"
#include "compilation.h"
#include "equationtable.h"
#include "g_messages.h"
#include "module.h"
#include "module_signal.h"
#include "sexception.h"
#include "statement_machine.h"

namespace {

const char* const kAborted = "\n\n   --> compilation process aborted ...";

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

void warn(const std::string& text) { fl_report_S(forms_box_kind::message, text); }

[[noreturn]] void abortCompilation(const std::string& text) { fl_exit_S(forms_box_kind::message, text, 1); }

// The equation of x's current status variable in w, made x := false (STAT) when absent.
Bddexpression* statusEquation(Signal* x, Module* m, Bddexpressionwood* w) {
  bdd var = x->getBddStatus(m, w);
  if (Bddexpression* e = w->exp_by_bdd(var)) return e;
  w->enter(x->getInternalName(), w, var, w->Bdd_zero(), 0, 0, Compilation::STAT);
  return w->exp_by_bdd(var);
}

void orStatus(Signal* x, bdd f, Module* m, Bddexpressionwood* w) { statusEquation(x, m, w)->append_or_exp(f); }

// The four-valued true of x: status AND NOT value.
bdd isTrue(Signal* x, Module* m, Bddexpressionwood* w) {
  return w->Bdd_and(x->getBddStatus(m, w), w->Bdd_not(x->getBddValue(m, w)));
}

// A wire's two equations: status := f, value := NOT f.
void defineWire(Signal* s, bdd f, Module* m, Bddexpressionwood* w, int status_kind, int value_kind) {
  std::string name = s->getName(m, w);
  w->enter(name, w, s->getBddStatus(m, w), f, 0, 0, status_kind);
  w->enter(name, w, s->getBddValue(m, w), w->Bdd_not(f), 0, 0, value_kind);
}

const std::string& sourceName(const Transition* t) {
  static const std::string pre_existing = "pre-existing";
  return t->initial || t->source == nullptr ? pre_existing : t->source->name;
}

}  // namespace

// ----- Transition -----

bdd Transition::triggerable_bdd(Module* m, Bddexpressionwood* w) {
  if (trigger == nullptr) return w->Bdd_one();
  return w->Bdd_and(trigger->getBddStatus(m, w), w->Bdd_not(trigger->getBddValue(m, w)));
}

void ident_states_transitions(std::list<Transition*>::iterator it, int k, int* source_code, int* target_code) {
  Transition* t = *it;
  if (t->initial) {
    *source_code = 0;
  } else if (t->source != nullptr) {
    *source_code = t->source->code;
  } else {
    warn("PROBLEM DETECTED ABOUT FIRST STATE!!!");
    *source_code = 0;
  }
  if (t->target != nullptr) {
    *target_code = t->target->code;
  } else {
    if (!t->final) warn("PROBLEM DETECTED ABOUT FINAL STATE!!!");
    *target_code = (1 << k) - 1;
  }
}

// ----- Automaton: model and checks -----

Automaton::Automaton(const std::string& n, Module* m)
    : Statement(n, m), state_table(new std::map<std::string, State*>), transition_list(new std::list<Transition*>) {}

void Automaton::createEquations(Module*, EquationTable*) {
  throw IllegalOperationException("ModuleTable::createEquations()", "do not use ...");
}

State* Automaton::findState(std::map<std::string, State*>* table, const std::string& n) {
  if (table == nullptr) return nullptr;
  auto it = table->find(n);
  return it != table->end() ? it->second : nullptr;
}

void Automaton::check_syntax() {
  for (auto& entry : *state_table) {
    State* s = entry.second;
    if (!s->final) continue;
    if (!s->moore.empty())
      abortCompilation("ERROR: The FINAL state: " + quoted(s->name) + " must not have one (or several) Moore action!" +
                       kAborted);
    if (s->run != nullptr) abortCompilation("ERROR: The FINAL state: " + quoted(s->name) + " must not run a module!" + kAborted);
  }
  for (Transition* t : *transition_list) {
    if (t->initial) continue;
    if (t->source == nullptr) abortCompilation(std::string("ERROR: A transition has no source state!") + kAborted);
    if (t->source->final)
      abortCompilation("ERROR: A transition beginning with the FINAL state: " + quoted(t->source->name) +
                       " had been detected!" + kAborted);
    if (t->kind == Transition::termination_kind && t->trigger != nullptr && !t->trigger->isTrueExpr())
      abortCompilation("ERROR: TRIGGER in the Normal Terminaison transition from " + quoted(t->source->name) +
                       " is not supported!" + kAborted);
  }
}

void Automaton::check_determinism(Module* m, Bddexpressionwood* w) {
  bddpp_manager* man = w->my_bdd_manager();
  for (auto it = transition_list->begin(); it != transition_list->end(); ++it) {
    Transition* t = *it;
    bdd g = t->triggerable_bdd(m, w);
    if (man->Bdd_is_zero_tautologic(g)) continue;
    for (auto jt = std::next(it); jt != transition_list->end(); ++jt) {
      Transition* u = *jt;
      // Start transitions all leave "pre-existing", whatever their kind.
      bool comparable = t->initial ? u->initial : !u->initial && u->source == t->source && u->kind == t->kind;
      if (!comparable || man->Bdd_is_zero_tautologic(man->Bdd_and(g, u->triggerable_bdd(m, w)))) continue;
      abortCompilation("ERROR: Non determinist automaton: Several possible transitions from state \"" + sourceName(t) +
                       "\" " + kAborted);
    }
  }
}

Statement* Automaton::duplicate(Module* m, EquationTable* t) {
  Automaton* copy = new Automaton(copyName(m), m);
  copy->position = position;
  std::map<State*, State*> image;
  for (auto& entry : *state_table) {
    State* s = new State(*entry.second);
    if (s->run != nullptr) s->run = static_cast<Run*>(s->run->duplicate(m, t));
    (*copy->state_table)[entry.first] = s;
    image[entry.second] = s;
  }
  auto mapped = [&image](State* s) { return s != nullptr ? image.at(s) : nullptr; };
  for (Transition* tr : *transition_list) {
    Transition* c = new Transition(*tr);
    c->source = mapped(tr->source);
    c->target = mapped(tr->target);
    copy->transition_list->push_back(c);
  }
  return copy;
}

// ----- Automaton: compilation -----

namespace {

// One compile of an automaton into T's system: the binary encoding under construction (the
// register bits and, per bit, the conditions under which the next state has the bit 0, zero,
// or 1, one) and, per transition, its end codes and its guard. The members after the
// encoding's are the steps of Automaton::compile, called in their order.
struct AutomatonCompile {
  Automaton& a;
  Module* m;
  EquationTable* T;
  Bddexpressionwood* W;
  bdd S, Rn, notS, fire, term;
  int k;
  std::vector<bdd> cur, nxt, zero, one, guard, strongOut, weakOut;
  std::vector<int> src, tgt;

  // The statement's own Set and Reset (the module's at the root) start and kill it.
  AutomatonCompile(Automaton& automaton, Module* module, EquationTable* table, int bits)
      : a(automaton), m(module), T(table), W(table->getBddexpressionWood()), S(isTrue(a.getSet(), m, W)),
        Rn(W->Bdd_and(isTrue(a.getReset(), m, W), W->Bdd_not(S))), k(bits), cur(bits), nxt(bits),
        zero(bits, W->Bdd_zero()), one(bits, W->Bdd_zero()) {}

  bdd in(int code, std::vector<bdd>& regs) { return W->my_bdd_manager()->Minterm(code, k, regs.data()); }
  bdd inCurrent(int code) { return in(code, cur); }
  // Under c the next state is code.
  void load(int code, bdd c) {
    for (int i = 0; i < k; ++i) {
      bdd& side = (code >> i) & 1 ? one[i] : zero[i];
      side = W->Bdd_or(side, c);
    }
  }

  void readTransitions() {
    size_t count = a.transition_list->size(), j = 0;
    src.resize(count), tgt.resize(count), guard.resize(count);
    for (auto it = a.transition_list->begin(); it != a.transition_list->end(); ++it, ++j) {
      ident_states_transitions(it, k, &src[j], &tgt[j]);
      guard[j] = (*it)->triggerable_bdd(m, W);
    }
  }

  // States that run a module: started on entry, killed when a strong or weak transition
  // leaves, outputs preempted by the strong ones.
  void compileRuns() {
    for (auto& entry : *a.state_table) {
      State* s = entry.second;
      if (s->run == nullptr) continue;
      bdd strong = W->Bdd_zero(), weak = W->Bdd_zero(), leave = W->Bdd_zero();
      size_t j = 0;
      for (Transition* t : *a.transition_list) {
        bdd g = guard[j];
        if (src[j++] != s->code || (t->kind != Transition::strong_kind && t->kind != Transition::weak_kind)) continue;
        bdd& side = t->kind == Transition::strong_kind ? strong : weak;
        bdd overlap = W->Bdd_and(side, g);
        if (!W->my_bdd_manager()->Bdd_is_zero_tautologic(overlap))
          abortCompilation("Error: Multiple behaviors about state:" + quoted(s->name) + " when " +
                           W->my_bdd_manager()->Print_sop_to_ESTEREL_String(overlap, 1));
        side = W->Bdd_or(side, g);
        leave = W->Bdd_or(leave, W->Bdd_and(inCurrent(s->code), g));
      }
      ForkCopy D(T->duplicate(m), m);
      s->run->compile_with_preemption(m, T, strong);
      T->unify(D.get(), m);
      defineWire(s->run->getReset(), leave, m, W, Compilation::SWIRE, Compilation::VWIRE);
      defineWire(s->run->getSet(), W->Bdd_zero(), m, W, Compilation::SWIRE, Compilation::VWIRE);
    }
  }

  // Per source code, where a strong and where a weak transition leaves it.
  void leavingGuards() {
    strongOut.assign(static_cast<size_t>(1 << k), W->Bdd_zero()), weakOut = strongOut;
    size_t j = 0;
    for (Transition* t : *a.transition_list) {
      size_t c = static_cast<size_t>(src[j]);
      if (t->kind == Transition::strong_kind) strongOut[c] = W->Bdd_or(strongOut[c], guard[j]);
      if (t->kind == Transition::weak_kind) weakOut[c] = W->Bdd_or(weakOut[c], guard[j]);
      ++j;
    }
  }

  // Each transition: where it fires (c, out of a start) and emits (e), its target loaded
  // under c, its actions, the Moore signals of a weak one's source, its target's Run set.
  void fireTransitions() {
    fire = W->Bdd_zero(), term = W->Bdd_zero(), notS = W->Bdd_not(S);
    size_t j = 0;
    for (Transition* t : *a.transition_list) {
      int from = src[j], to = tgt[j];
      size_t f = static_cast<size_t>(from);
      bdd g = guard[j++], c = W->Bdd_zero(), e = W->Bdd_zero();
      if ((t->kind == Transition::strong_kind || t->kind == Transition::weak_kind) && t->initial) {
        c = e = W->Bdd_and(S, g);
      } else if (t->kind == Transition::strong_kind || t->kind == Transition::weak_kind) {
        e = W->Bdd_and(inCurrent(from), g);
        if (t->kind == Transition::weak_kind) e = W->Bdd_and(e, W->Bdd_not(strongOut[f]));
        c = W->Bdd_and(e, notS);
      } else if (t->kind == Transition::termination_kind) {
        if (t->source == nullptr || t->source->run == nullptr) {
          warn("Warning: No found Run module about state " + sourceName(t) + ": Normal Terminaison has no effect ...");
        } else {
          e = W->Bdd_and(inCurrent(from), isTrue(t->source->run->getRtl(), m, W));
          e = W->Bdd_and(e, W->Bdd_not(W->Bdd_or(strongOut[f], weakOut[f])));
          c = W->Bdd_and(e, notS);
        }
      } else {
        warn("Warning: Skipping TRANSITION " + std::to_string(from) + " " + std::to_string(to) + ": unknown type ...");
      }
      fire = W->Bdd_or(fire, c);
      load(to, c);
      if (t->final || (t->target != nullptr && t->target->final)) term = W->Bdd_or(term, c);
      for (Signal* x : *t->actions) orStatus(x, e, m, W);
      if (t->kind == Transition::weak_kind && !t->initial && t->source != nullptr)
        for (Signal* x : t->source->moore) orStatus(x, c, m, W);
      if (t->target != nullptr && t->target->run != nullptr) {
        Signal* set = t->target->run->getSet();
        W->exp_by_bdd(set->getBddStatus(m, W))->append_or_exp(c);
        W->exp_by_bdd(set->getBddValue(m, W))->append_and_exp(W->Bdd_not(c));
      }
    }
  }

  // A state no transition leaves stays; Reset clears every bit; a final state sets them all.
  void holdResetAndFinal() {
    for (auto& entry : *a.state_table) {
      bdd here = inCurrent(entry.second->code);
      bdd stay = W->Bdd_and(W->Bdd_and(W->Bdd_not(W->Bdd_reduce(fire, here)), here), notS);
      load(entry.second->code, stay);
    }
    for (int i = 0; i < k; ++i) {
      zero[i] = W->Bdd_or(zero[i], Rn);
      one[i] = W->Bdd_and(one[i], W->Bdd_not(Rn));
    }
    for (auto& entry : *a.state_table) {
      if (!entry.second->final) continue;
      bdd f = W->Bdd_and(inCurrent(entry.second->code), notS);
      for (int i = 0; i < k; ++i) {
        one[i] = W->Bdd_or(one[i], f);
        zero[i] = W->Bdd_and(zero[i], W->Bdd_not(f));
      }
    }
  }

  // Every region where neither side holds goes to code 0, the inactive state.
  void defineNextStates(const std::vector<Signal*>& next) {
    for (int i = 0; i < k; ++i) {
      Signal* x = next[static_cast<size_t>(i)];
      W->enter(x->getInternalName(), W, x->getBddStatus(m, W), one[i], 0, 0, Compilation::SREG);
      W->enter(x->getInternalName(), W, x->getBddValue(m, W), W->Bdd_not(one[i]), 0, 0, Compilation::VREG);
    }
    for (auto& entry : *a.state_table)
      for (Signal* x : entry.second->moore) orStatus(x, in(entry.second->code, nxt), m, W);
    defineWire(a.getRtl(), term, m, W, Compilation::STAT, Compilation::VAL);
  }
};

}  // namespace

void Automaton::compile(Module* m, EquationTable* T) {
  check_syntax();
  createWires(m, T);
  check_determinism(m, T->getBddexpressionWood());
  // The states take the codes 1 to n in name order, on k bits.
  int n = static_cast<int>(state_table->size()), code = 1, k = 1;
  for (auto& entry : *state_table) entry.second->code = code++;
  while ((1 << k) < n + 2) ++k;
  AutomatonCompile c(*this, m, T, k);
  // A second automaton of the module (a copy, say) names its registers after itself.
  std::string suffix = m->getName();
  if (m->getLocalSignal("reg0" + suffix) != nullptr) suffix += "_" + name;
  current.assign(static_cast<size_t>(k), nullptr);
  next.assign(static_cast<size_t>(k), nullptr);
  for (size_t i = 0; i < current.size(); ++i) {
    current[i] = makeRegisterSignal("reg" + std::to_string(i) + suffix, m, T);
    next[i] = makeRegisterSignal("reg" + std::to_string(i) + "next" + suffix, m, T);
    m->addRegisterSignal(current[i], next[i], 0);
    T->createRegisterEquation(current[i], m);
    c.cur[i] = current[i]->getBddStatus(m, c.W);
    c.nxt[i] = next[i]->getBddStatus(m, c.W);
  }
  c.readTransitions();
  c.compileRuns();
  c.leavingGuards();
  c.fireTransitions();
  c.holdResetAndFinal();
  c.defineNextStates(next);
}
