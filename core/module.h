// Module model: one synchronous module (its signals, registers, body, equation table,
// wires and signal manager), its registers, and the table of modules by name.
#ifndef MODULE_H
#define MODULE_H

#include <iosfwd>
#include <list>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "bddpp.h"

class Bddexpressionwood;
class DataBinding;
class DataExpr;
class Interface;
class EquationTable;
class Local;
class Module;
class Signal;
class SignalManager;
class Statement;

// The value of an environment variable; "./" when it is not set (or the name is null).
std::string my_getenv(const char* variable);

// One register: current-state and next-state signals and the initial value. The signals
// belong to the module.
class regclass {
 public:
  regclass(Signal* actual, Signal* next, int initially_true);
  regclass(const regclass&) = default;
  regclass& operator=(const regclass&) = default;
  ~regclass() = default;

  Signal* actual_var() const { return internal_actual_var; }
  Signal* next_var() const { return internal_next_var; }
  int is_initialy_true() const { return internal_is_initialy_true; }
  void actual_var(Signal* s) { internal_actual_var = s; }
  void next_var(Signal* s) { internal_next_var = s; }
  void is_initialy_true(int flag) { internal_is_initialy_true = flag; }

  // Signals compare by identity.
  bool operator==(const regclass& r) const;
  bool operator!=(const regclass& r) const { return !(*this == r); }

  Signal* internal_actual_var;
  Signal* internal_next_var;
  int internal_is_initialy_true;
};

// "next current flag": each internal name followed by a blank ("? " when missing), then
// 1 or 0; no line end.
std::ostream& operator<<(std::ostream& os, const regclass& r);

// A module. Its signals, registers, statements, lists, equation table object, signal
// manager and bindings are never freed by it; the destructor destroys the equation system
// only.
class Module {
 public:
  typedef std::map<std::string, Signal*> Scope;

  // Empty module with its own equation system (and BDD manager), equation table and
  // signal manager; current_instance -1.
  explicit Module(const std::string& name);
  // Module from a reader's lists, taken over as given (none of them copied). wires holds
  // the Set, Reset and RTL wires in that order; fewer than three throw
  // IllegalOperationException. A register lacking its current-state (next-state) signal
  // throws IllegalOperationException("Register not declared local! " / "Register not
  // declared local: ", ""); the signals of each register are marked wire and register.
  Module(const std::string& name, std::list<Signal*>* inputs, std::list<Signal*>* outputs,
         std::list<Signal*>* locals, std::list<Signal*>* data_signals, std::list<regclass*>* registers,
         std::list<Signal*>* wires, Bddexpressionwood* wood);
  ~Module();
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;

  // ----- signal look-ups: whole-string matches, first match wins, null when none -----
  Signal* getInputSignal(const std::string& name) const;   // original name
  Signal* getOutputSignal(const std::string& name) const;  // original name
  Signal* getLocalSignal(const std::string& name) const;   // internal name
  // The locals that are neither wires nor values, in list order (the ones pre chains): the
  // locals appended since the last call are read from the tail, a list replaced or filtered
  // is read again whole.
  const std::vector<Signal*>& plainLocals() const;
  // The first signal of the lists (inputs, outputs, data signals, locals) without an
  // occurrence table, or null. Only the signals appended since the last call are looked at,
  // unless a list was replaced or filtered or a table dropped (a table set to null directly
  // in a signal already looked at goes unseen).
  Signal* signalWithoutOccurrenceTable() const;
  Signal* getDataSignal(const std::string& name) const;    // internal name
  // Inputs, outputs, data signals, locals, each by its own rule.
  Signal* getSignal(const std::string& name) const;
  // Inputs, outputs, data signals, locals by internal name.
  Signal* getSignalFromInternalName(const std::string& name) const;
  // The declared signals of each scope in order, by original name.
  Signal* getRenamedSignal(const std::string& name, std::list<Local*>* scopes) const;
  Signal* getInputRenamedSignal(const std::string& name, std::list<Local*>* scopes) const;
  Signal* getOutputRenamedSignal(const std::string& name, std::list<Local*>* scopes) const;
  Signal* getValuedRenamedSignal(const std::string& name, std::list<Local*>* scopes) const;
  // The scope maps of the local stack, front to back.
  Signal* getStackLocalSignal(const std::string& name) const;

  // ----- look-ups by BDD variable id, through the signal manager -----
  // The signal owning the id in wood, or null.
  Signal* getSignalById(long id, Bddexpressionwood* wood) const;
  // The occurrence name owning the id; IllegalOperationException when none.
  std::string getSignalNameById(long id, Bddexpressionwood* wood) const;
  // The other rail's id of the occurrence owning id; IllegalOperationException when none.
  long getOtherBddId(long id, Bddexpressionwood* wood) const;

  // ----- registers and signals -----
  void addRegisterSignal(Signal* current, Signal* next);
  void addRegisterSignal(Signal* current, Signal* next, int initially_true);
  void addRegisterSignal(regclass* r);
  // Two new register signals in the module's equation system, locals (current first),
  // and their register.
  void addRegisterDecl(const char* current, int initially_true, const char* next);
  // Removes every local of s's internal name, then appends s.
  void addLocalSignal(Signal* s);
  void addInputSignal(Signal* s) { input_signal_list->push_back(s); }
  void addOutputSignal(Signal* s) { output_signal_list->push_back(s); }
  void addDataSignal(Signal* s) { data_signal_list->push_back(s); }

  // Module name + prefix + "_" + counter (the module name alone for a null prefix); the
  // counter is incremented afterwards.
  std::string generateName(const char* prefix, int& counter) const;

  // ----- bindings, run declarations and inclusion -----
  // Deep copy for another incarnation, with its own equation system and signals.
  Module(Module& m);
  // The binding stored under name, or null.
  DataBinding* getBinding(const std::string& name) const;
  void removeBinding(const std::string& name);
  // Stores b under its bound signal's occurrence name in wood (the module's own system
  // for the first form), replacing any entry.
  void addBinding(DataBinding* b);
  void addBinding(DataBinding* b, Bddexpressionwood* wood);
  // A fresh valued signal "IData_" + prefix + n for e, bound to it; VALUE_SIGNAL abstract
  // equations when e reads signals.
  Signal* addSignalBinding(DataExpr* e, const std::string& prefix);
  // Binds e to s; VALUE_SIGNAL abstract equations when e reads signals.
  Signal* addSignalBinding(DataExpr* e, Signal* s);
  // Binds e to s under clock (none when null); no equation.
  Signal* addSignalBinding(DataExpr* e, Signal* s, Signal* clock);
  // A fresh valued signal clock name + "Data_" + prefix + n bound under clock; no equation.
  Signal* addSignalBinding(DataExpr* e, const std::string& prefix, Signal* clock);
  // The bound signals clocked by clock (by internal name), in key order; null without a
  // data table. None bound: message on standard error and exit 10. The caller owns the list.
  std::list<Signal*>* getSignalBindingByClock(Signal* clock) const;
  // The bindings clocked by clock; null when none (or no data table). Caller owns the list.
  std::list<DataBinding*>* getDataBindingByClock(Signal* clock) const;
  // Records directory + "/" + file for module_name; a known name throws
  // IllegalOperationException("Run module already exists: ", name).
  void addRunDecl(const std::string& module_name, const std::string& file, const std::string& directory);
  // The recorded location, or null.
  std::string* getModuleLocation(const std::string& module_name) const;
  // Includes the compiled sub-module sub under the instance suffix, its signals made in
  // wood and entered in the interface. The instance reacts as sub alone from each start of
  // its run: its signals are kept out of the caller's pauses, its Mealy machines' equations
  // hold only while they run, their registers start from their initial values, and its
  // outputs' occurrences are completed as sub's finalisation completes them.
  void includeCompiledModule(Module* sub, Interface* interface, const std::string& suffix,
                             Bddexpressionwood* wood);

  // ----- compile pipeline -----
  void createCompileEnv();
  void compile();
  void sortCode();
  void check_over_knowledge();
  void clean();
  void suppress_useless_registers();
  void clean_locals();
  void constants_propagation();
  // Default equations, constant propagation, boot register, dates and renaming; a module
  // already finalised is left as it is. keep_rtl non-zero keeps the RTL wire's status.
  void finalize(int keep_rtl);
  void learnStatusWireAssertion();
  void update_user_type();
  bdd associate_bdd_state(int state);
  int possible_transitions(bdd state, bdd* unused);
  void replace_at_in_name_variables();
  void loose_first_underscore_in_name_variables();

  // ----- compiled-module file -----
  // Every file a module writes (this one, the generated simulation files and each target
  // generator's) is written whole or not at all through write_generated_files
  // (gen_files.h): a failed open, write or close is reported and leaves the file as it was.
  // OutputDir + "/" + the file name (name + ".jxc", or OutputFile, ".jxc" added when it
  // holds none) through JXC_put; IllegalOperationException without an equation table. A file
  // it replaces is said so ("File: " + path + " already exists. File rewrited.") once replaced.
  void save();
  // Writes the compiled-module text (nothing without an equation system); the two int
  // arguments in the middle are not used. The text is built whole first: a failure
  // (an exception) leaves os untouched.
  void JXC_put(std::ostream& os, int, int, int forget_locals_names);
  // The binding and evaluation-table sections (nothing without a data table);
  // renumbering has one entry per variable of the module's BDD manager.
  void printBinding(std::ostream& os, long* renumbering);

  // ----- generated simulation files -----
  // SimulationJxcDir/zars_<name>.cc through SIMUL_JXC_put.
  void save_zars_code();
  // SimulationJxcDir/user_data_<name>.h and .cc through SIMUL_JXC_put_user_files; when
  // both are written, an existing file is first renamed to the same path + ".bak".
  void save_user_data_code();
  // Writes SimulationDir + name + ".blif" (finalising first when needed) and, when it was
  // written, runs "blif_simul <path>" through the shell, the path quoted.
  void simulate();
  // The value server's whole source (gen_server.cc): the type functions, then
  // compute_data_value with its MC (only with a method table), BOP, UOP and CONST (only
  // with a constant table) branches, then the socket server and main. No type table: the
  // writer reports it and ends the process with status 1, the text cut off.
  void SIMUL_JXC_put(std::ostream& os);
  void SIMUL_JXC_put_predef_func(std::ostream& os);
  void SIMUL_JXC_put_method(std::ostream& os);
  void SIMUL_JXC_put_binary_op(std::ostream& os);
  void SIMUL_JXC_put_unary_op(std::ostream& os);
  void SIMUL_JXC_put_const(std::ostream& os);
  // The user-data header and body stubs (gen_user_data.cc); no type table: exit 1.
  void SIMUL_JXC_put_user_files(std::ostream& header, std::ostream& body);
  // The BLIF netlist; the int is not used. No equation table or system: message box,
  // standard error and exit 1. Data signals are inputs whenever there are any.
  void BLIF_put(std::ostream& os, int remove_wires);

  // ----- target code generators (gen_c.cc, gen_systemc.cc, gen_csharp.cc) -----
  // The C body and header of the module: reset and reaction functions, register state,
  // user-data externs. Without an equation system only the data part and "#endif".
  void C_put(std::ostream& body, std::ostream& header);
  // Finalises the module when it is not yet finalised, then writes the body file
  // (OutputFile, or the module name, with ".c") and its header (".h"; OutputFile + ".h"
  // when the two names would be one) through C_put. Nothing is written when either file
  // cannot be opened ("Cannot open output file: " + its name + ": " + the reason, box and
  // standard error).
  void printC();
  // Every equation in earliest-date order over the node array A, the outputs in
  // pointer_names written through "*"; abstract equations from their bindings (none: the
  // error line and exit 1); a guarded value block after the status equation of an
  // emission clocked by a signal that is not an output.
  void C_put_equation(std::ostream& os, const std::string& A, std::list<std::string>& pointer_names);
  // The C writer's files for the SystemC target: every name by the current occurrence,
  // the bindings in a data section of their own.
  void SYSTEMC_put(std::ostream& body, std::ostream& header);
  // OutputDir + "/" + (OutputFile, or the module name, with ".cs") through CSharp_put;
  // nothing written when it cannot be opened.
  void printCSHARP();
  // The module as one C# component class.
  void CSharp_put(std::ostream& os);
  // The reaction body: every equation in earliest-date order, indented by indent blanks.
  void CSharp_put_equation(std::ostream& os, const std::string& node_array, int indent);
  // Lustre, Esterel, documentation, debug and dovk texts (gen_lustre.cc, gen_esterel.cc,
  // gen_listings.cc, gen_dovk.cc); the integer arguments of LUSTRE_put and DOC_put are unused,
  // method is the sum-of-products cover method.
  void LUSTRE_put(std::ostream& os, int);
  void LUSTRE_put_equation(std::ostream& os, const std::string& node_name, std::list<std::string>&);
  void ESTEREL_put(std::ostream& os, int method);
  void DOC_put(std::ostream& os, int);
  void DEBUG_put(std::ostream& os);
  // Writes the debug listing into its ".dbg" file and shows the file in the message sink's
  // listing viewer (fl_show_Slisting).
  void printDebug();
  // Refuses (message, nothing written, returns false) more than 20 registers or inputs; a
  // module without exactly three outputs ends the process (status 1) before anything is
  // written or enumerated.
  bool DOVKCC_put(std::ostream& os, int method);

  // ----- netlist and model generators (gen_smv.cc, gen_vhdl.cc, gen_blif.cc, gen_gal.cc) -----
  // Each file opener names its file from OutputFile (or the module name) and its
  // extension; a file that cannot be opened gives "Cannot open output file: " + its name +
  // ": " + the reason (box and standard error) and nothing is written.
  // The SMV model (the register state is its status rail); the two ints are not used.
  void NUSMV_put(std::ostream& os, int, int);
  // OutputDir + "/" + ".smv" name, finalising the module first when it is not.
  void printSMV();
  // The VHDL design; flavour non-zero: std_logic, 0: bit. The ports: Set and Reset when not
  // finalised, the inputs' rails, the data signals' rails (as in the BLIF: the environment
  // drives each data condition), reset and clk, the outputs. Names that are not legal basic
  // identifiers are written as extended ones; a basic one that equals a name declared
  // before it once letter case is ignored gets the first free suffix "_1", "_2", ...
  // Nothing without an equation system.
  void VHDL_put(std::ostream& os, int flavour);
  // The ".vhdl" name (not in OutputDir), std_logic when VHDLALTERAFlag is set.
  void printVHDL();
  // OutputDir + "/" + ".blif" name through BLIF_put; the module is not finalised first.
  void printBLIF();
  // The interface as an encapsulated GAL description; nothing without an equation system.
  void ENCAPSULATEDGAL_put(std::ostream& os);
  // The ".gal" name (not in OutputDir).
  void printENCAPSULATEDGAL();

  // ----- fields -----
  const std::string& getName() const { return name; }
  void setName(const std::string& n) { name = n; }
  Statement* getStatement() const { return statement; }
  void addBodyStatement(Statement* s) { statement = s; }
  EquationTable* getCompilation() const { return compilation; }
  EquationTable* getEquationTable() const { return compilation; }
  Bddexpressionwood* getBddWood() const;
  SignalManager* getSignalManager() const { return signal_manager; }
  std::list<Signal*>* getInputSignalList() const { return input_signal_list; }
  std::list<Signal*>* getOutputSignalList() const { return output_signal_list; }
  std::list<Signal*>* getLocalSignalList() const { return local_signal_list; }
  std::list<Signal*>* getDataSignalList() const { return data_signal_list; }
  std::list<regclass*>* getRegisterList() const { return register_list; }
  std::map<std::string, std::string*>* getRunDeclTable() const { return run_decl_table; }
  std::map<std::string, DataBinding*>* getDataTable() const { return data_table; }
  std::list<Scope*>* getLocalStack() const { return local_stack; }
  void setLocalStack(std::list<Scope*>* stack) { local_stack = stack; }
  int getCurrentInstance() const { return current_instance; }
  void setCurrentInstance(int n) { current_instance = n; }
  void incrCurrentInstance();
  bool getReincarnate() const { return reincarnate; }
  void setReincarnate(bool b) { reincarnate = b; }
  int getFinalised() const { return finalised; }
  void setFinalised(int level) { finalised = level; }
  Signal* getSet() const { return set_wire; }
  Signal* getReset() const { return reset_wire; }
  Signal* getRtl() const { return rtl_wire; }
  void setSet(Signal* s) { set_wire = s; }
  void setReset(Signal* s) { reset_wire = s; }
  void setRtl(Signal* s) { rtl_wire = s; }

  std::string name;
  Statement* statement = nullptr;
  std::list<Signal*>* input_signal_list = nullptr;
  std::list<Signal*>* output_signal_list = nullptr;
  std::list<Signal*>* local_signal_list = nullptr;
  std::list<Signal*>* data_signal_list = nullptr;
  std::map<std::string, std::string*>* run_decl_table = nullptr;  // null until the first run declaration
  std::list<regclass*>* register_list = nullptr;                   // may be null
  EquationTable* compilation = nullptr;
  Signal* set_wire = nullptr;
  Signal* reset_wire = nullptr;
  Signal* rtl_wire = nullptr;
  bool reincarnate = false;
  bool compiling = false;  // compile under way: a Run of this module is a recursive call
  int finalised = 0;
  int current_instance = -1;
  std::list<Scope*>* local_stack = nullptr;  // innermost scope first; may be null
  SignalManager* signal_manager = nullptr;
  std::map<std::string, DataBinding*>* data_table = nullptr;  // null until the first binding
  // Names given to statement copies (a doubled loop body), so that two copies never share
  // their wires and registers.
  std::set<std::string> copy_names;
  // The wires of a Mealy machine: ACTIF (running since an earlier instant), SET (starting)
  // and ACTIFPLUS (running in the next instant).
  struct MachineWires {
    Signal* active;
    Signal* start;
    Signal* next;
  };
  // The occurrences that the equations of the module's Mealy machines define, by name, each
  // with its machine's wires (a later machine defining one replaces the earlier): an
  // instance of the module keeps each machine's effect to the instants it runs.
  std::map<std::string, MachineWires> machine_definitions;

 private:
  // compile and finalize, run on a deep stack by the public ones.
  void compile_body();
  void finalize_body(int keep_rtl);

  // How far a signal list has been read: the list, its length then, its first and its last
  // element. An unchanged prefix is recognised by its first element and its last one, at the
  // same distance from the end.
  struct ListTail {
    const std::list<Signal*>* list = nullptr;
    size_t size = 0;
    Signal* front = nullptr;
    Signal* back = nullptr;
    // The first element of l not read yet; restart is set (and nothing counts as read) when
    // l is not the list read or not an extension of it. l must not be null.
    std::list<Signal*>::const_iterator unread(const std::list<Signal*>* l, bool& restart);
    void read(const std::list<Signal*>* l);
  };
  // Name -> first signal of that name in one list, so that adding and finding a signal do
  // not walk the list. The lists are also appended to and filtered directly: each look-up
  // first indexes the elements appended since the last one, or the whole list when it was
  // replaced or filtered.
  typedef const std::string& (*SignalKey)(const Signal*);
  struct NameIndex {
    ListTail tail;
    std::unordered_map<std::string, Signal*> first;
    void sync(const std::list<Signal*>* l, SignalKey key);
    Signal* find(const std::list<Signal*>* l, const std::string& name, SignalKey key);
  };
  void syncLocalIndex() const;
  mutable NameIndex local_index;  // internal names
  // The locals that are neither wires nor values, read from the list's tail as it grows.
  struct PlainLocals {
    ListTail tail;
    std::vector<Signal*> locals;
  };
  mutable PlainLocals plain_locals;
  // Inputs and outputs by original and by internal name, data signals by internal name.
  mutable NameIndex input_index, output_index, input_internal_index, output_internal_index, data_index;
  // The signal lists' prefixes found with occurrence tables, and the count of tables dropped
  // then (a drop makes every list be checked again).
  mutable ListTail with_tables[4];
  mutable unsigned long drops_checked = 0;

 public:

  // ----- module settings shared by every module -----
  static std::string SimulationDir;     // the variable named "/tmp", "./" when unset
  static std::string SimulationJxcDir;  // "."
  static std::string OutputDir;         // "."
  static std::string OutputFile;        // empty: no explicit output file
  static std::list<std::string>* CompilationFileList;

  // Name counters of generated statement names.
  static int PauseNumber;
  static int NothingNumber;
  static int HaltNumber;
  static int ParallelNumber;
  static int SequenceNumber;
  static int PresentNumber;
  static int LoopNumber;
  static int LocalNumber;
  static int WaitNumber;
  static int AbortNumber;
  static int EmitNumber;
  static int NoEmitNumber;
  static int SustainUntilNumber;
  static int RunNumber;
  static int SustainNumber;
  static int AutomatonNumber;
  static int MealyMachineNumber;
  static int TransitionNumber;
};

// Modules by name, with the stream on which the table's owner writes.
// The table does not own its modules.
class ModuleTable {
 public:
  ModuleTable();  // empty map, standard output
  ~ModuleTable();
  ModuleTable(const ModuleTable&) = delete;
  ModuleTable& operator=(const ModuleTable&) = delete;

  // The module registered under exactly that name, or null.
  Module* get(const std::string& name) const;
  // Registers m under its own name.
  void add(Module* m);
  // Registers m under name; a name already registered is left unchanged and
  // HashTableAddException(name) is thrown.
  void add(const std::string& name, Module* m);

  std::map<std::string, Module*>* table;
  std::ostream* out;
};

#endif
