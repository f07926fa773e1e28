#include "reaction_harness.h"

#include <sstream>
#include <stdexcept>

#include "equationtable.h"
#include "module.h"
#include "module_signal.h"
#include "statement.h"

char colourLetter(Colour c) {
  switch (c) {
    case Colour::Bleu:
      return 'T';
    case Colour::Jaune:
      return 'F';
    case Colour::Noir:
      return 'B';
    case Colour::Vert:
      return 'E';
    case Colour::Rouge:
      break;
  }
  return '?';
}

namespace {

Colour colourOfLetter(char c) {
  switch (c) {
    case 'T':
      return Colour::Bleu;
    case 'F':
      return Colour::Jaune;
    case 'E':
      return Colour::Vert;
    case 'B':
      return Colour::Noir;
  }
  throw std::invalid_argument(std::string("colour letter ") + c);
}

}  // namespace

ReactionHarness::ReactionHarness(const std::string& module_name)
    : owned_(new Module(module_name)), m_(owned_.get()) {}

ReactionHarness::ReactionHarness(Module* module) : m_(module) {}

ReactionHarness::~ReactionHarness() { sim_.load(nullptr); }

Bddexpressionwood* ReactionHarness::wood() const { return m_->getBddWood(); }

Signal* ReactionHarness::input(const std::string& n) {
  Signal* s = new Signal(n, m_, wood());
  s->is_input = true;
  m_->addInputSignal(s);
  return s;
}

Signal* ReactionHarness::output(const std::string& n) {
  Signal* s = new Signal(n, m_, wood());
  s->is_output = true;
  m_->addOutputSignal(s);
  return s;
}

Signal* ReactionHarness::local(const std::string& n) {
  Signal* s = new Signal(n, m_, wood());
  s->is_local = true;
  m_->addLocalSignal(s);
  return s;
}

std::string ReactionHarness::name(const std::string& prefix) { return m_->generateName(prefix.c_str(), counter_); }

void ReactionHarness::compile(Statement* body) {
  m_->addBodyStatement(body);
  m_->compile();
}

void ReactionHarness::finalize() {
  m_->finalize(0);
  sim_.load(m_);
}

void ReactionHarness::build(Statement* body) {
  compile(body);
  finalize();
}

std::string ReactionHarness::react(const std::string& inputs) {
  for (Signal* s : sim_.inputs()) sim_.setInputColour(s, Colour::Noir);
  std::istringstream in(inputs);
  std::string item;
  while (in >> item) {
    std::size_t eq = item.find('=');
    bool valued = eq != std::string::npos && eq + 2 < item.size() && item[eq + 2] == ':';
    if (eq == std::string::npos || (eq + 2 != item.size() && !valued)) throw std::invalid_argument("input " + item);
    Signal* s = m_->getInputSignal(item.substr(0, eq));
    if (s == nullptr) throw std::invalid_argument("no input " + item);
    sim_.setInputColour(s, colourOfLetter(item[eq + 1]));
    if (valued) sim_.setInputValue(s, item.substr(eq + 3));
  }
  ReactionReport report = sim_.react();
  if (!report.ran) throw std::runtime_error("reaction refused: " + report.refusal);
  std::string out;
  for (Signal* o : sim_.outputs()) {
    if (!out.empty()) out += ' ';
    out += o->getOriginalName() + '=' + colourLetter(sim_.colourOf(o));
    if (show_values && o->isValued(m_) && sim_.colourOf(o) == Colour::Bleu) out += ':' + sim_.outputValue(o);
  }
  return out;
}

Trace ReactionHarness::run(const Trace& inputs) {
  Trace out;
  for (const std::string& r : inputs) out.push_back(react(r));
  return out;
}

char ReactionHarness::colour(Signal* s) const { return colourLetter(sim_.colourOf(s)); }
