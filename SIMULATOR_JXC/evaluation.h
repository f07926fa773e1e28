// Qt-free part of the simulator: the context (one int per BDD variable of the loaded
// module, 2 = undetermined), the four colours, the writing of inputs, wires and registers
// into the context, the evaluation of the equations in earliest order with the data
// requests to the value server, the register advance and the valued outputs.
//
// The window renders a Simulation: it forwards the user's input colours, value texts and
// Set/Reset boxes, calls react() (Go) and init() (Init), and colours its rows with
// colourOf().
#ifndef EVALUATION_H
#define EVALUATION_H

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "data.h"

class Bddexpression;
class Module;
class Signal;
class SignalRef;
struct socket_type;

// The context: entry i is the value of BDD variable i (0, 1, or 2 for undetermined).
typedef std::vector<int> Context;

// The four colours of a (status, value) pair, and red for an undetermined pair.
enum class Colour { Bleu, Jaune, Vert, Noir, Rouge };

// "bleu", "jaune", "vert", "noir", "rouge".
const char* colourName(Colour c);
// (1,0) Bleu, (0,1) Jaune, (1,1) Vert, (0,0) Noir, any other pair Rouge.
Colour colourOfPair(int status, int value);
// The pair an input of that colour enters the context with: Bleu (1,0), Jaune (0,1),
// Vert (1,1), anything else (0,0).
std::pair<int, int> pairOfColour(Colour c);

// The values written into the module's Set and Reset wires.
class set_reset {
 public:
  void set_Set(bool b) { set = b; }
  void set_Reset(bool b) { reset = b; }
  bool get_Set() const { return set; }
  bool get_Reset() const { return reset; }
  void initialise_set_reset() { set = reset = false; }

 private:
  bool set = false;
  bool reset = false;
};

// Status and value ids, in the module's equation system, of the signal reference
// registered under name; both -1 when there is none.
void get_id_signals(Module* m, const std::string& name, long* status_id, long* value_id);
// Each register's current-state pair := (1,0) when initially true, else (0,1).
Context& initialise_register_context(Module* m, Context& context);
// Each register, in list order: current pair := next pair, then next pair := (0,0).
Context& update_context_register(Module* m, Context& context);

class Signal_eval {
 public:
  // Set and Reset wires from sr, then each input of the module's list with the colour of
  // the same position in inputs (missing entries count as Noir). No module: message on
  // standard error and exit 1.
  Context& Get_contexts(Module* m, const set_reset& sr, const std::vector<Colour>& inputs, Context& context);
  // Every non-abstract equation, in earliest order, evaluated under the context; abstract
  // equations are left as they are.
  Context& bdds_evaluate(Module* m, Context& context);
};

// What a reaction reports to the window besides the context.
struct ReactionReport {
  bool ran = false;      // false: refused (no module, or an input text that cannot be sent)
  std::string refusal;   // the reason, for a message box; empty when ran
  // Problems of the data path (no value server, empty replies): written on standard
  // error too; the reaction went on with empty replies.
  std::vector<std::string> warnings;
  // The value server did not reply in time: the later requests of the reaction were not
  // sent and gave "--". Said once per reaction through the library's message sink.
  bool timed_out = false;
};

// One loaded module and its simulation state.
class Simulation {
 public:
  // Longest input value text accepted (a request must fit in 1023 bytes).
  static constexpr std::size_t MaxValueText = 900;

  Simulation() = default;

  // Takes m (not owned; null unloads) and resets as a load does: context all 2, every
  // input Noir with the text "--", Set on and Reset off, registers at their initial
  // values, output values "--". No equation is evaluated.
  // The load also fixes what every reaction reads of the module's structure: the earliest
  // order of the equations, each one's signal reference and rails, the ids of the inputs,
  // locals, outputs and registers, and the keys of the value-text map. Equations, signals
  // or dates changed after load are seen at the next load only; the bindings (the data
  // table) are read at each reaction.
  void load(Module* m);
  Module* module() const { return module_; }
  // The value server connection (not owned); null: none.
  void setSocket(socket_type* s) { socket_ = s; }
  socket_type* socket() const { return socket_; }

  // Signals in the module's list order; the shown ones leave out inputs and outputs
  // bound by a value binding (those have no panel row).
  const std::vector<Signal*>& inputs() const { return inputs_; }
  const std::vector<Signal*>& outputs() const { return outputs_; }
  std::vector<Signal*> shownInputs() const;
  std::vector<Signal*> shownOutputs() const;
  std::vector<Signal*> locals() const;
  // The registers' current-state signals.
  std::vector<Signal*> registers() const;

  // Input state chosen by the user; a signal that is not an input is ignored (Noir, "--").
  void setInputColour(Signal* input, Colour c);
  Colour inputColour(Signal* input) const;
  void setInputValue(Signal* input, const std::string& text);
  std::string inputValue(Signal* input) const;
  set_reset& flags() { return flags_; }
  const set_reset& flags() const { return flags_; }

  const Context& context() const { return context_; }
  // Colour of a signal from the context, by the reference registered under its declared
  // name (its occurrence-0 ids when that name is not registered).
  Colour colourOf(Signal* s) const;
  // Value text shown for an output: "--" until a reaction gives it one.
  std::string outputValue(Signal* output) const;

  // The first present input whose value text holds a comma or is longer than
  // MaxValueText; null when none.
  Signal* unsafeInput() const;

  // One reaction (Go). recolour, when given, is called after the equations are evaluated
  // and before the registers advance (the outputs and locals are coloured then). Without
  // a module: "Jxc file not loaded" on standard error, nothing changes. An exception of a
  // request ends the process (status 1) after a message. Each reaction asks the value
  // server again after a time-out of an earlier one; a present valued output whose request
  // gave "--" shows "--".
  ReactionReport react(const std::function<void()>& recolour = {});
  // Back to the initial state (Init); recolour as for react, before the registers take
  // their initial values. Without a module: "Jxc file not loaded" and false.
  bool init(const std::function<void()>& recolour = {});

 private:
  // One equation of the earliest order, as the reaction step reads it.
  struct Step {
    long id;            // the defined variable
    Bddexpression* e;   // its equation
    long var;           // the context entry it writes; -3 for a bad handle
    SignalRef* ref;     // null: no signal
    long sid, vid;      // ref's status and value rails
    bool abstract;      // set from its binding's reply instead of evaluated
    bool first;         // abstract: the first rail of ref in the order (the pair is set there)
    bool last;          // concrete: the later of ref's two rails in the order (emission)
    bool unread;        // sid is a variable no equation reads
  };
  // A key of the value-text map: the input whose text it takes when present (-1: "--").
  struct ValueKey {
    long key;
    long input;
  };
  struct Rails {
    long sid, vid;
  };
  void plan();
  // The value-text map as a reaction starts: every key of value_keys_, nothing else.
  void resetValues();

  long index(const std::vector<Signal*>& list, Signal* s) const;
  // Steps of one reaction after its checks.
  void step(ReactionReport& report, const std::function<void()>& recolour);
  std::string request(DataExpr* e, DataSimulMap& constants, DataSimulValueMap& values, ReactionReport& report);
  void evaluateEquations(DataSimulMap& constants, DataSimulValueMap& values, ReactionReport& report);
  void valuedOutputs(DataSimulMap& constants, DataSimulValueMap& values, ReactionReport& report);

  Module* module_ = nullptr;
  socket_type* socket_ = nullptr;
  std::vector<Signal*> inputs_;
  std::vector<Signal*> outputs_;
  std::vector<Colour> input_colours_;
  std::vector<std::string> input_values_;
  std::vector<std::string> output_values_;
  set_reset flags_;
  Context context_;
  Signal_eval eval_;
  // Fixed by load (see load()).
  std::vector<Step> steps_;
  std::vector<ValueKey> value_keys_;  // ascending keys
  std::vector<Rails> input_rails_;    // initial ids, in input order
  DataSimulValueMap values_;
};

#endif
