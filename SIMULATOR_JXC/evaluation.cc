// Context, colours, equation evaluation and the reaction step of the simulator.
#include "evaluation.h"

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <list>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "Bddexpression.h"
#include "bddpp.h"
#include "compilation.h"
#include "data.h"
#include "equationtable.h"
#include "g_exit.h"
#include "g_messages.h"
#include "module.h"
#include "module_signal.h"
#include "signal_manager.h"

namespace {

// Parents of each node reached from e (a node of the reader's evaluation table may have
// several); each node is walked once.
void countParents(DataExpr* e, std::map<const DataExpr*, int>& parents) {
  std::vector<DataExpr*> children;
  if (e->isDataBinaryOp()) {
    auto* b = static_cast<DataBinaryOp*>(e);
    children = {b->getLeft(), b->getRight()};
  } else if (e->isDataUnaryOp()) {
    children = {static_cast<DataUnaryOp*>(e)->getOperand()};
  } else if (e->isDataMethod() && static_cast<DataMethodCall*>(e)->getArgs() != nullptr) {
    auto* args = static_cast<DataMethodCall*>(e)->getArgs();
    children.assign(args->begin(), args->end());
  }
  for (DataExpr* c : children)
    if (c != nullptr && ++parents[c] == 1) countParents(c, parents);
}

// Simul_put of e with each shared node asked once: a request node is sent as a copy whose
// operands are literals of their value texts, so that the request text is Simul_put's own.
class SharedEvaluation {
 public:
  SharedEvaluation(Module* m, DataSimulMap* constants, DataSimulValueMap* values, int* context, socket_type* socket,
                   std::map<const DataExpr*, int> parents)
      : m_(m), constants_(constants), values_(values), context_(context), socket_(socket),
        parents_(std::move(parents)) {}

  std::string value(DataExpr* e) {
    auto known = replies_.find(e);
    if (known != replies_.end()) return known->second;
    std::string r;
    if (e->isDataBinaryOp()) {
      auto* b = static_cast<DataBinaryOp*>(e);
      for (DataExpr* o : {b->getLeft(), b->getRight()})
        if (o->getType().empty()) o->computeType(m_);
      DataValue l = operand(b->getLeft());
      DataValue rr = operand(b->getRight());
      r = DataBinaryOp(b->getOp(), &l, &rr).Simul_put(m_, constants_, values_, context_, socket_);
    } else if (e->isDataUnaryOp()) {
      auto* u = static_cast<DataUnaryOp*>(e);
      DataValue v = operand(u->getOperand());
      r = DataUnaryOp(u->getOp(), &v).Simul_put(m_, constants_, values_, context_, socket_);
    } else if (e->isDataMethod() && static_cast<DataMethodCall*>(e)->getArgs() != nullptr) {
      auto* c = static_cast<DataMethodCall*>(e);
      std::list<DataValue> texts;
      std::list<DataExpr*> args;
      for (DataExpr* a : *c->getArgs()) {
        texts.push_back(operand(a));
        args.push_back(&texts.back());
      }
      r = DataMethodCall(c->getMethodIndex(), &args).Simul_put(m_, constants_, values_, context_, socket_);
    } else {
      r = e->Simul_put(m_, constants_, values_, context_, socket_);
    }
    if (parents_[e] > 1) replies_[e] = r;
    return r;
  }

 private:
  DataValue operand(DataExpr* e) {
    if (e->getType().empty()) e->computeType(m_);
    DataValue v(value(e));
    v.setType(e->getType());
    return v;
  }

  Module* m_;
  DataSimulMap* constants_;
  DataSimulValueMap* values_;
  int* context_;
  socket_type* socket_;
  std::map<const DataExpr*, int> parents_;
  std::map<const DataExpr*, std::string> replies_;
};

Bddexpressionwood* woodOf(Module* m) { return m->getCompilation()->getBddexpressionWood(); }

bool inside(const Context& c, long id) { return id >= 0 && static_cast<std::size_t>(id) < c.size(); }

// -1 outside the context, so that such a pair is undetermined.
int at(const Context& c, long id) { return inside(c, id) ? c[static_cast<std::size_t>(id)] : -1; }

void put(Context& c, long id, int v) {
  if (inside(c, id)) c[static_cast<std::size_t>(id)] = v;
}

void putPair(Context& c, long status_id, long value_id, std::pair<int, int> p) {
  put(c, status_id, p.first);
  put(c, value_id, p.second);
}

bool isPresent(const Context& c, long status_id, long value_id) {
  return at(c, status_id) == 1 && at(c, value_id) == 0;
}

Context freshContext(Module* m) {
  return Context(static_cast<std::size_t>(woodOf(m)->my_bdd_manager()->Nb_bdd_vars()), 2);
}

const char* const NotLoaded = "Jxc file not loaded";

}  // namespace

// ----- colours -----

const char* colourName(Colour c) {
  switch (c) {
    case Colour::Bleu:
      return "bleu";
    case Colour::Jaune:
      return "jaune";
    case Colour::Vert:
      return "vert";
    case Colour::Noir:
      return "noir";
    case Colour::Rouge:
      break;
  }
  return "rouge";
}

Colour colourOfPair(int status, int value) {
  if (status == 1 && value == 0) return Colour::Bleu;
  if (status == 0 && value == 1) return Colour::Jaune;
  if (status == 1 && value == 1) return Colour::Vert;
  if (status == 0 && value == 0) return Colour::Noir;
  return Colour::Rouge;
}

std::pair<int, int> pairOfColour(Colour c) {
  switch (c) {
    case Colour::Bleu:
      return {1, 0};
    case Colour::Jaune:
      return {0, 1};
    case Colour::Vert:
      return {1, 1};
    default:
      return {0, 0};
  }
}

// ----- context helpers -----

void get_id_signals(Module* m, const std::string& name, long* status_id, long* value_id) {
  SignalRef* r = m->getSignalManager()->getSignalRefByName(name);
  Bddexpressionwood* w = woodOf(m);
  *status_id = r != nullptr ? r->getBddStatusId(w) : -1;
  *value_id = r != nullptr ? r->getBddValueId(w) : -1;
}

Context& initialise_register_context(Module* m, Context& context) {
  if (m->getRegisterList() == nullptr) return context;
  Bddexpressionwood* w = woodOf(m);
  for (regclass* r : *m->getRegisterList()) {
    Signal* s = r->actual_var();
    putPair(context, s->getBddStatusId(m, w), s->getBddValueId(m, w),
            r->is_initialy_true() ? std::make_pair(1, 0) : std::make_pair(0, 1));
  }
  return context;
}

Context& update_context_register(Module* m, Context& context) {
  if (m->getRegisterList() == nullptr) return context;
  Bddexpressionwood* w = woodOf(m);
  for (regclass* r : *m->getRegisterList()) {
    Signal* cur = r->actual_var();
    Signal* next = r->next_var();
    long ns = next->getBddStatusId(m, w);
    long nv = next->getBddValueId(m, w);
    putPair(context, cur->getBddStatusId(m, w), cur->getBddValueId(m, w), {at(context, ns), at(context, nv)});
    putPair(context, ns, nv, {0, 0});
  }
  return context;
}

// ----- Signal_eval -----

Context& Signal_eval::Get_contexts(Module* m, const set_reset& sr, const std::vector<Colour>& inputs,
                                   Context& context) {
  if (m == nullptr) {
    g_exit(1, "***error:Signal_eval: No module loaded\n");
  }
  Bddexpressionwood* w = woodOf(m);
  if (m->getSet() != nullptr) {
    m->getSet()->setWire(true);
    putPair(context, m->getSet()->getBddStatusId(m, w), m->getSet()->getBddValueId(m, w),
            sr.get_Set() ? std::make_pair(1, 0) : std::make_pair(0, 1));
  }
  if (m->getReset() != nullptr)
    putPair(context, m->getReset()->getBddStatusId(m, w), m->getReset()->getBddValueId(m, w),
            sr.get_Reset() ? std::make_pair(1, 0) : std::make_pair(0, 1));
  std::size_t i = 0;
  for (Signal* s : *m->getInputSignalList()) {
    Colour c = i < inputs.size() ? inputs[i] : Colour::Noir;
    putPair(context, s->getBddStatusId(m, w), s->getBddValueId(m, w), pairOfColour(c));
    ++i;
  }
  return context;
}

Context& Signal_eval::bdds_evaluate(Module* m, Context& context) {
  Bddexpressionwood* w = woodOf(m);
  bddpp_manager* man = w->my_bdd_manager();
  std::cout << "i'm in bdds_evaluate()\n";
  for (long id : w->earliest_sort()) {
    Bddexpression* e = w->slot(id);
    if (e == nullptr) continue;
    if (e->getAbstraction() != 0) {
      std::cout << " getAbstraction() \n";
      continue;
    }
    long v = man->Bdd_if_index(e->my_bdd_var());
    if (inside(context, v))
      context[static_cast<std::size_t>(v)] =
          man->Bdd_eval_for_literal(e->my_bdd_exp_ref(), context.data(), static_cast<long>(context.size()));
  }
  return context;
}

// ----- Simulation -----

void Simulation::load(Module* m) {
  module_ = m;
  inputs_.clear();
  outputs_.clear();
  context_.clear();
  if (m != nullptr) {
    inputs_.assign(m->getInputSignalList()->begin(), m->getInputSignalList()->end());
    outputs_.assign(m->getOutputSignalList()->begin(), m->getOutputSignalList()->end());
    context_ = freshContext(m);
  }
  input_colours_.assign(inputs_.size(), Colour::Noir);
  input_values_.assign(inputs_.size(), "--");
  output_values_.assign(outputs_.size(), "--");
  flags_.initialise_set_reset();
  flags_.set_Set(true);
  if (m != nullptr) initialise_register_context(m, context_);
  plan();
}

long Simulation::index(const std::vector<Signal*>& list, Signal* s) const {
  auto it = std::find(list.begin(), list.end(), s);
  return it == list.end() ? -1 : static_cast<long>(it - list.begin());
}

std::vector<Signal*> Simulation::shownInputs() const {
  std::vector<Signal*> out;
  for (Signal* s : inputs_)
    if (!s->isValue()) out.push_back(s);
  return out;
}

std::vector<Signal*> Simulation::shownOutputs() const {
  std::vector<Signal*> out;
  for (Signal* s : outputs_)
    if (!s->isValue()) out.push_back(s);
  return out;
}

std::vector<Signal*> Simulation::locals() const {
  if (module_ == nullptr) return {};
  return std::vector<Signal*>(module_->getLocalSignalList()->begin(), module_->getLocalSignalList()->end());
}

std::vector<Signal*> Simulation::registers() const {
  std::vector<Signal*> out;
  if (module_ != nullptr && module_->getRegisterList() != nullptr)
    for (regclass* r : *module_->getRegisterList()) out.push_back(r->actual_var());
  return out;
}

void Simulation::setInputColour(Signal* input, Colour c) {
  long i = index(inputs_, input);
  // A bound input has no row: it stays bottom.
  if (i >= 0 && !input->isValue()) input_colours_[static_cast<std::size_t>(i)] = c;
}

Colour Simulation::inputColour(Signal* input) const {
  long i = index(inputs_, input);
  return i >= 0 ? input_colours_[static_cast<std::size_t>(i)] : Colour::Noir;
}

void Simulation::setInputValue(Signal* input, const std::string& text) {
  long i = index(inputs_, input);
  if (i >= 0 && !input->isValue()) input_values_[static_cast<std::size_t>(i)] = text;
}

std::string Simulation::inputValue(Signal* input) const {
  long i = index(inputs_, input);
  return i >= 0 ? input_values_[static_cast<std::size_t>(i)] : std::string("--");
}

Colour Simulation::colourOf(Signal* s) const {
  if (module_ == nullptr || s == nullptr) return Colour::Rouge;
  long sid = -1;
  long vid = -1;
  get_id_signals(module_, s->getOriginalName(), &sid, &vid);
  if (sid < 0 || vid < 0) {
    Bddexpressionwood* w = woodOf(module_);
    sid = s->getInitialBddStatusId(module_, w);
    vid = s->getInitialBddValueId(module_, w);
  }
  return colourOfPair(at(context_, sid), at(context_, vid));
}

std::string Simulation::outputValue(Signal* output) const {
  long i = index(outputs_, output);
  return i >= 0 ? output_values_[static_cast<std::size_t>(i)] : std::string("--");
}

Signal* Simulation::unsafeInput() const {
  for (std::size_t i = 0; i < inputs_.size(); ++i) {
    if (input_colours_[i] != Colour::Bleu) continue;  // only a present input's text is sent
    const std::string& t = input_values_[i];
    if (t.find(',') != std::string::npos || t.size() > MaxValueText) return inputs_[i];
  }
  return nullptr;
}

std::string Simulation::request(DataExpr* e, DataSimulMap& constants, DataSimulValueMap& values,
                                ReactionReport& report) {
  // Within one evaluation a shared node is asked for once; a tree goes straight through.
  std::map<const DataExpr*, int> parents;
  countParents(e, parents);
  bool shared = std::any_of(parents.begin(), parents.end(), [](const auto& p) { return p.second > 1; });
  std::string r = shared ? SharedEvaluation(module_, &constants, &values, context_.data(), socket_, std::move(parents))
                               .value(e)
                         : e->Simul_put(module_, &constants, &values, context_.data(), socket_);
  if (!report.timed_out && Compilation::Socket_gave_up(socket_)) {
    report.timed_out = true;
    fl_show_Salert("The value server did not reply within " + std::to_string(Compilation::SocketReplyTimeout) +
                   " ms: the other values of this reaction are not asked for and show \"--\".");
  }
  if (r.empty()) {
    std::string w = socket_ == nullptr ? "***error: FenPrincipale:Simuler: no value server connected"
                                       : "***error: FenPrincipale:Simuler: empty reply from the value server";
    if (std::find(report.warnings.begin(), report.warnings.end(), w) == report.warnings.end()) {
      report.warnings.push_back(w);
      std::cerr << w << "\n";
    }
  }
  return r;
}

void Simulation::plan() {
  steps_.clear();
  value_keys_.clear();
  input_rails_.clear();
  values_.clear();
  Module* m = module_;
  if (m == nullptr) return;
  Bddexpressionwood* w = woodOf(m);
  bddpp_manager* man = w->my_bdd_manager();
  SignalManager* sm = m->getSignalManager();
  std::list<long> order = w->earliest_sort();
  // Rank of each variable's equation in the order, -1 when it has none.
  std::vector<long> rank(context_.size(), -1);
  long k = 0;
  for (long id : order)
    if (inside(context_, id)) rank[static_cast<std::size_t>(id)] = k++;
  auto rankOf = [&](long id) { return inside(context_, id) ? rank[static_cast<std::size_t>(id)] : -1; };
  std::set<SignalRef*> abstract_seen;
  steps_.reserve(order.size());
  for (long id : order) {
    Bddexpression* e = w->slot(id);
    if (e == nullptr) continue;
    Step st{id, e, -1, sm->getSignalRefById(id, w), -1, -1, e->getAbstraction() != 0, false, false, false};
    if (!st.abstract) st.var = man->Bdd_if_index(e->my_bdd_var());
    if (st.ref != nullptr) {
      st.sid = st.ref->getBddStatusId(w);
      st.vid = st.ref->getBddValueId(w);
      st.last = id == (rankOf(st.sid) > rankOf(st.vid) ? st.sid : st.vid);
      st.unread = w->valid_id(st.sid) && w->readers(st.sid).empty();
      if (st.abstract) st.first = abstract_seen.insert(st.ref).second;
    }
    steps_.push_back(st);
  }
  // Value-map keys: an input's text, overridden by a local's or an output's "--".
  std::map<long, long> source;
  for (std::size_t i = 0; i < inputs_.size(); ++i) {
    Signal* s = inputs_[i];
    input_rails_.push_back({s->getInitialBddStatusId(m, w), s->getInitialBddValueId(m, w)});
    source[input_rails_.back().sid] = static_cast<long>(i);
  }
  for (Signal* s : *m->getLocalSignalList()) source[s->getInitialBddStatusId(m, w)] = -1;
  for (Signal* s : outputs_) source[s->getInitialBddStatusId(m, w)] = -1;
  value_keys_.reserve(source.size());
  for (const auto& entry : source) value_keys_.push_back({entry.first, entry.second});
}

void Simulation::resetValues() {
  static const std::string Absent = "--";
  auto it = values_.begin();
  for (const ValueKey& k : value_keys_) {
    while (it != values_.end() && it->first < k.key) it = values_.erase(it);
    if (it == values_.end() || it->first != k.key) it = values_.emplace_hint(it, k.key, std::string());
    const std::string* text = &Absent;
    if (k.input >= 0) {
      const Rails& r = input_rails_[static_cast<std::size_t>(k.input)];
      if (isPresent(context_, r.sid, r.vid)) text = &input_values_[static_cast<std::size_t>(k.input)];
    }
    it->second = *text;
    ++it;
  }
  values_.erase(it, values_.end());
}

void Simulation::evaluateEquations(DataSimulMap& constants, DataSimulValueMap& values, ReactionReport& report) {
  Module* m = module_;
  Bddexpressionwood* w = woodOf(m);
  bddpp_manager* man = w->my_bdd_manager();
  const long size = static_cast<long>(context_.size());
  for (const Step& st : steps_) {
    if (!st.abstract) {
      // A bad handle reports at each reaction, as the look-up does.
      long v = st.var == -3 ? man->Bdd_if_index(st.e->my_bdd_var()) : st.var;
      if (inside(context_, v))
        context_[static_cast<std::size_t>(v)] = man->Bdd_eval_for_literal(st.e->my_bdd_exp_ref(), context_.data(), size);
      if (st.ref == nullptr) continue;  // no signal: no binding
      DataBinding* b = m->getBinding(st.ref->getCurrentName());
      if (b == nullptr || b->getClock() == nullptr || b->getClock()->isOutput()) continue;
      // Once per emission, when both of its rails are computed.
      if (!st.last) continue;
      if (isPresent(context_, st.sid, st.vid) && st.unread)
        values[b->getClock()->getInitialBddStatusId(m, w)] = request(b->getValue(), constants, values, report);
    } else {
      if (st.ref == nullptr) {
        g_exit(1, "***error:FenPrincipale::Simuler(): No binding for signal:" + std::to_string(st.id) + "\n");
      }
      if (!st.first) continue;  // the pair is set at its first rail
      DataBinding* b = m->getBinding(st.ref->getCurrentName());
      if (b == nullptr) {
        g_exit(1, "***error:FenPrincipale::Simuler(): No binding for signal:" + st.ref->getCurrentName() + "\n");
      }
      std::string reply = request(b->getValue(), constants, values, report);
      std::pair<int, int> p = reply == "true" ? std::make_pair(1, 0)
                              : reply == "false" ? std::make_pair(0, 1)
                                                 : std::make_pair(0, 0);
      putPair(context_, st.sid, st.vid, p);
    }
  }
}

void Simulation::valuedOutputs(DataSimulMap& constants, DataSimulValueMap& values, ReactionReport& report) {
  Module* m = module_;
  if (m->getDataTable() == nullptr) return;
  Bddexpressionwood* w = woodOf(m);
  // Bindings by clock output, in the data table's order.
  std::map<Signal*, std::vector<DataBinding*>> by_clock;
  for (const auto& entry : *m->getDataTable()) {
    Signal* c = entry.second->getClock();
    if (c != nullptr && c->isOutput()) by_clock[c].push_back(entry.second);
  }
  auto unknown_text = [](Signal* o) {
    return "***error: FenPrincipale:Simuler:  unknown signal:" + o->getInternalName() + "\n";
  };
  // Clocks that are not in the output list end the process once present.
  for (const auto& entry : by_clock) {
    Signal* o = entry.first;
    if (index(outputs_, o) < 0 && isPresent(context_, o->getInitialBddStatusId(m, w), o->getInitialBddValueId(m, w))) {
      g_exit(1, unknown_text(o));
    }
  }
  // Output-list order, so that the requests go out in a fixed order.
  for (std::size_t i = 0; i < outputs_.size(); ++i) {
    Signal* o = outputs_[i];
    auto found = by_clock.find(o);
    if (found == by_clock.end()) continue;
    if (!isPresent(context_, o->getInitialBddStatusId(m, w), o->getInitialBddValueId(m, w))) continue;
    std::string value = "--";
    bool asked = false;
    for (DataBinding* b : found->second) {
      Signal* s = b->getSignal();
      long sid = s->getInitialBddStatusId(m, w);
      if (isPresent(context_, sid, s->getInitialBddValueId(m, w)) && w->valid_id(sid) && w->readers(sid).empty()) {
        value = request(b->getValue(), constants, values, report);
        asked = true;
        break;
      }
    }
    if (value == "--") {
      std::cerr << "***error:FenPrincipale:Simuler:  valued output with an undefined value:" << o->getName(m) << "\n";
      if (!asked) continue;  // no present emission: the output keeps its text
    }
    if (o->isValue()) {  // a bound output has no row
      std::cerr << unknown_text(o);
      continue;
    }
    output_values_[i] = value;
  }
}

ReactionReport Simulation::react(const std::function<void()>& recolour) {
  ReactionReport report;
  if (module_ == nullptr) {
    std::cerr << NotLoaded << "\n";
    report.refusal = NotLoaded;
    return report;
  }
  if (Signal* bad = unsafeInput()) {
    report.refusal = "The value of input " + bad->getOriginalName() + " holds a comma or is longer than " +
                     std::to_string(MaxValueText) + " characters";
    std::cerr << "***error: FenPrincipale:Simuler: " << report.refusal << "\n";
    return report;
  }
  report.ran = true;
  // An exception out of a request (an undeclared method, an untyped operand) would cross
  // the window's event loop: it ends the process like any other fatal reaction error.
  try {
    step(report, recolour);
  } catch (const g_exit_error&) {
    throw;  // ended already
  } catch (const std::exception& e) {
    g_exit(1, std::string("***error: FenPrincipale:Simuler: ") + e.what() + "\n");
  }
  return report;
}

void Simulation::step(ReactionReport& report, const std::function<void()>& recolour) {
  Module* m = module_;
  Compilation::Socket_retry(socket_);
  eval_.Get_contexts(m, flags_, input_colours_, context_);

  resetValues();
  DataSimulValueMap& values = values_;

  DataSimulMap constants;
  if (Compilation::GDataConstantTable != nullptr && Compilation::GDataConstantTable->getConstantList() != nullptr)
    for (ConstantDecl* c : *Compilation::GDataConstantTable->getConstantList())
      constants[c->getName()] = std::make_pair(c->getValue(), std::string());

  evaluateEquations(constants, values, report);
  if (recolour) recolour();
  update_context_register(m, context_);
  flags_.initialise_set_reset();
  valuedOutputs(constants, values, report);
}

bool Simulation::init(const std::function<void()>& recolour) {
  if (module_ == nullptr) {
    std::cerr << NotLoaded << "\n";
    return false;
  }
  input_colours_.assign(inputs_.size(), Colour::Noir);
  context_ = freshContext(module_);
  flags_.initialise_set_reset();
  flags_.set_Set(true);
  eval_.bdds_evaluate(module_, context_);
  if (recolour) recolour();
  initialise_register_context(module_, context_);
  input_values_.assign(inputs_.size(), "--");
  output_values_.assign(outputs_.size(), "--");
  return true;
}
