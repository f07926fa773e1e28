// Equations v := f over one BDD manager (Bddexpression) and equation systems (Bddexpressionwood).
//
// A wood holds at most one equation per BDD variable, indexed by the variable id, with the reverse
// dependence table (the readers of each variable), the latest dates and the number of date levels.
// Its tables grow by doubling with the manager, up to 2^29 slots.
//
// Ownership: a wood owns the equations in its table and, unless common_bdd_manager is 1, its
// manager. Equations that enter a wood must be allocated with new. An equation that the wood stops
// referring to without destroying it (replaced in its slot by another one, or removed by clean)
// stays alive until the wood is destroyed and must not be deleted by the caller. BDD handles into
// a wood's manager must be released before the wood is destroyed.
//
// Or/and appends to an equation wait as pending terms until its right side is read (RightSide);
// the dependence sets take their supports at once, exact unless a term overlapped the right
// side, in which case the wood settles them before the walks that need them exact.
//
// Walks over the dependence graph are iterative. Critical paths and the full dating are computed
// by memoised walks that give the same results as the depth-bounded ones on acyclic graphs; the
// depth-bounded walk runs only when a cycle is found, so the cycle behaviour is kept.
#ifndef PERT_EXP_BDDEXPRESSION_H
#define PERT_EXP_BDDEXPRESSION_H

#include <cstdint>
#include <memory>
#include <iosfwd>
#include <list>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "bddpp.h"
#include "id_bits.h"
#include "shared_ids.h"
#include "shared_pages.h"

class Bddexpressionwood;

class Bddexpression {
 public:
  // The operator of a change of the right side (the int kind of the functions below): replace,
  // OR or AND. replace_op also stands for no terms pending, and for either operator in the
  // merge-back tests.
  enum op_kind { replace_op = 0, or_op = 1, and_op = 2 };

  // The right side. append_or_exp (append_and_exp) only records its term while the terms
  // pending are of the same operator; every read folds them in first. An or-chain built by
  // n appends of terms on ever newer variables (each at the bottom of the order) then costs
  // O(n) nodes instead of a rebuild of the whole chain per append.
  class RightSide {
   public:
    explicit RightSide(Bddexpression* owner) : owner_(owner) {}
    RightSide(const RightSide&) = delete;
    RightSide& operator=(const RightSide& f) { return *this = f.get(); }
    RightSide& operator=(const bdd& f);  // replaces; pending terms are dropped
    const bdd& get() const;              // folds the pending terms first
    operator const bdd&() const { return get(); }
    bddpp_manager* manager_ref() const { return get().manager_ref(); }
    int link_type() const { return get().link_type(); }
    bdd_node* node() const { return get().node(); }
    std::string vhdl_node_name(const std::string& prefix) const { return get().vhdl_node_name(prefix); }

   private:
    friend class Bddexpression;
    Bddexpression* owner_;
    mutable bdd base_;                  // the right side less the pending terms
    mutable std::vector<bdd> pending_;  // in append order
    mutable std::vector<long> depth_;   // each pending term's deepest variable (-1: none)
    mutable int pending_kind_ = replace_op;  // or_op, and_op; replace_op when none are pending
    // true: base_ (and the owner's dependences_of) are still the handles of the equation this
    // one was copied from, in that equation's manager, and so are the pending terms but those
    // appended since; every read but an append or a merge back translates them first (see
    // Bddexpression::materialize).
    mutable bool foreign_ = false;
    // Changes with every change of the right side (or of the equation's kind): unique over
    // every equation, so that an equal stamp means the same equation, unchanged.
    mutable uint64_t stamp_ = next_stamp();

   public:
    static uint64_t next_stamp();
  };

  // false: every append folds at once (the eager build, which tests compare with).
  static bool defer_appends;

  Bddexpressionwood* pw;  // not owned; may be null
  std::string name;
  bdd bdd_var;            // the defined variable; uninitialised when there is none
  int abstraction;        // 1: defined by exp_def with an explicit dependence set
  std::string exp_def;
  RightSide bdd_exp{this};  // uninitialised for an abstract equation
  long w;                 // weight for the critical paths
  shared_ids vars_dependance;
  long earliest_date;
  int usertype;           // Compilation kind code, 0 when none

  // ----- construction -----
  Bddexpression();
  explicit Bddexpression(Bddexpressionwood* wood);
  Bddexpression(const std::string& name, Bddexpressionwood* wood, bdd var, bdd exp, long early, long late);
  Bddexpression(const std::string& name, Bddexpressionwood* wood, bdd var, bdd exp, long early, long late,
                int usertype);
  Bddexpression(const std::string& name, Bddexpressionwood* wood, bdd var, bdd exp, const std::string& exp_def,
                long early, long late, int usertype);
  Bddexpression(Bddexpressionwood* wood, bdd var, bdd exp, long early, long late);
  // Abstract forms: no right side, the dependence set given.
  Bddexpression(long id, Bddexpressionwood* wood, std::set<long>* readers, std::set<long>* deps, long early,
                long late);
  Bddexpression(long id, Bddexpressionwood* wood, std::set<long>* readers, std::set<long>* deps,
                const std::string& exp_def, long early, long late);
  Bddexpression(long id, Bddexpressionwood* wood, std::set<long>& deps, const std::string& exp_def, long early,
                long late);
  // Translation of e from one wood into another (learned by `to`), and the unlearned form.
  Bddexpression(Bddexpressionwood* from, Bddexpressionwood* to, Bddexpression& e);
  Bddexpression(Bddexpressionwood* to, Bddexpression& e);
  Bddexpression(const Bddexpression& e);
  Bddexpression(Bddexpression& e);
  Bddexpression& operator=(const Bddexpression& e);
  Bddexpression& operator=(Bddexpression& e);
  ~Bddexpression();

  // ----- accessors -----
  std::string my_bddname() const;
  const std::string& my_name() const { return name; }
  Bddexpressionwood* my_manager() const { return pw; }
  bddpp_manager* my_bdd_manager() const;
  long my_index_var() const;  // index of bdd_var, -3 when uninitialised or foreign
  bdd my_bdd_var() const { return bdd_var; }
  bdd my_bdd_exp() const { return bdd_exp.get(); }
  const bdd& my_bdd_exp_ref() const { return bdd_exp.get(); }  // no copy (a copy writes the node's count)
  const std::string& my_exp_def() const { return exp_def; }
  long getEarlyDate() const { return earliest_date; }
  void setEarlyDate(long d) { earliest_date = d; }
  long getLateDate() const;
  void setLateDate(long d);
  int getAbstraction() const { return abstraction; }
  const std::set<long>& set_of_var_dependances() const {
    bdd_exp.get();  // exact once folded
    return vars_dependance;
  }
  long getW() const { return w; }
  void setW(long weight) { w = weight; }
  int getUserType() const { return usertype; }
  void setUserType(int t) {
    usertype = t;
    restamp();
  }
  void setAbstraction(int a) {
    abstraction = a;
    restamp();
  }
  void setExpDef(const std::string& def);
  void setBddexpressionwood(Bddexpressionwood* wood);

  // ----- right side -----
  void setBddVar(bddpp_manager* m, bdd var);
  void setBddExp(bddpp_manager* m, bdd f);
  void setBddExp(bdd f);
  void append_or_exp(bdd g);
  void append_and_exp(bdd g);
  // This right side OR (or_op) or AND (and_op) the right side of e, an equation of another
  // system, translated by variable names. When both carry the same folded part and only
  // terms of that operator pending, only e's pending terms that this one lacks are appended.
  void merge_right_side(int kind, Bddexpression& e);
  void setBddExp(bdd f, long early, long late);
  void append_not_exp();

  // ----- copies for forks -----
  // The equation of the original system that this copy stands for, unchanged on this side
  // since it was copied (directly, or through copies that did not change it either); null
  // otherwise. Its stamp then is copied_stamp().
  const Bddexpression* copied_from() const;
  uint64_t copied_stamp() const { return origin_stamp_; }
  uint64_t stamp() const { return bdd_exp.stamp_; }
  // Whether merging back a copy of this equation that neither side changed since, with
  // operator kind (replace_op: either), changes nothing here but may make nodes: this state
  // takes the merge's path that only appends the copy's terms, all known here.
  bool void_when_unchanged(int kind) const;
  // The same, making no node either: this state was merged back once already (every node
  // its translation makes exists since, and nodes are never freed), and the system is known
  // to be acyclic (otherwise the merge's walks may report a cycle).
  bool merge_back_is_void(int kind);
  // After merging back such a copy with operator kind (replace_op: either): when the merge
  // left this equation as it was and void_when_unchanged holds, later merges of this state
  // are void.
  void note_merged_back(uint64_t stamp_before, int kind);
  // The same for a copy of an earlier state of this equation, the state of stamp `origin`,
  // that neither side changed since it was copied: once such a merge with operator kind left
  // this equation as it was, merging a copy of that state again is void while this equation
  // stays as it is (the same nodes are asked for, and they exist).
  void note_absorbed(uint64_t origin, uint64_t stamp_before, int kind);
  bool absorbs(uint64_t origin, int kind);
  // The next change of this equation is recorded by its wood, as a first change since the
  // last capture is.
  void log_next_change() { logged_stamp_ = 0; }
  // Whether the state of stamp origin was so merged back (the operator yet to check).
  bool absorbed_state(uint64_t origin) const { return absorbed_at_ == bdd_exp.stamp_ && absorbed_origin_ == origin; }
  // Whether a copy of this equation starts with these dependences (otherwise it computes
  // them from its right side).
  bool dependences_copied() const;
  // Whether the dependences are a superset of the support that folding the pending terms
  // may shrink: the system settles this equation before its exact walks.
  bool unsettled_dependences() const { return dependences_superset && !bdd_exp.pending_.empty(); }
  void add_specific_var_dependance(long id);
  std::set<long> set_of_index_used_variables() const;
  void internal_build_dependances();
  void internal_build_dependances(bddpp_manager* m);
  void build_normal_dependances();
  void Shannon_expand(long var, long& then_id, long& else_id);

  bool operator==(const Bddexpression& e) const;
  bool operator!=(const Bddexpression& e) const { return !(*this == e); }

  // ----- text forms -----
  std::string debug_in_string() const;
  void put_doc(std::ostream& os, const std::string& node_name) const;
  void put_lustre_compatibilite(std::ostream& os, int method) const;
  void put_jxc(std::ostream& os, long* renumbering) const;
  void put_jxc_2_0_4(std::ostream& os, long* renumbering) const;
  void put_jxc_0_3_0(std::ostream& os, long* renumbering, int method) const;

 private:
  bool has_manager() const;
  void copy_fields(const Bddexpression& e);
  void change_right_side(const char* op, int kind, const bdd& g);
  // Whether vars_dependance is still the support of the right side: computed from the folded
  // part as it is, plus the supports of pending terms that kept it exact.
  bool dependences_current() const;
  // Records terms of operator kind as pending, with their supports in the dependences and
  // the wood's reader table; false (nothing done) when one of them must be folded at once.
  bool defer_terms(int kind, const std::vector<bdd>& terms);
  void fold_pending();
  void copy_right_side(bddpp_manager* to, const Bddexpression& e);
  // A copy keeps the original's handles until its right side is read: most equations of a
  // fork's copy are never read by the branch, and merging one back reads the original's.
  // Translates them into this equation's manager, as the copy would have.
  void materialize() const;
  // The critical-path walks of a right-side change (their results are not used; they warn of
  // cycles), the down walk before k enters the readers of the added dependences.
  void walk_after_change(long k, bool merged, const std::set<long>& added);

  // The right side vars_dependance was last computed from, and the set's size then: an or
  // (and) with a right side of disjoint support only adds that support to the set.
  bdd dependences_of;
  size_t dependences_size = 0;
  // A pending term shared variables with the right side: vars_dependance is the union of
  // the supports, which folding may shrink (f | !f). Folding recomputes it; walks that find
  // a cycle settle the wood first (a cycle-free superset graph has a cycle-free subgraph).
  bool dependences_superset = false;
  // See copied_from: the original equation and its stamp, and this copy's stamp when made.
  const Bddexpression* origin_ = nullptr;
  uint64_t origin_stamp_ = 0;
  uint64_t copy_stamp_ = 0;
  // The stamp of a state that has been merged back from a copy once (0: none).
  uint64_t merged_stamp_ = 0;
  // See note_absorbed: the earlier state merged back, this equation's stamp then, the operator.
  uint64_t absorbed_origin_ = 0;
  uint64_t absorbed_at_ = 0;
  int absorbed_kind_ = replace_op;
  // When this equation's change was last recorded by its wood (see Bddexpressionwood::changes_).
  uint64_t logged_stamp_ = 0;
  // A new stamp, the change recorded by the wood whose table holds this equation.
  void restamp();
  void put_jxc_head(std::ostream& os, long* renumbering) const;
};

std::ostream& operator<<(std::ostream& os, const Bddexpression& e);

// Each slot's equation, in pages, and the set of the slots that hold one: a fork lends the
// filled slots of its source, found 64 to a word rather than one slot at a time.
class equation_slots {
 public:
  Bddexpression* operator[](size_t i) const { return table_[i]; }
  void set(size_t i, Bddexpression* e) {
    if (table_[i] == e) return;
    table_.edit(i) = e;
    if (e != nullptr)
      filled_.insert(static_cast<long>(i));
    else
      filled_.erase(static_cast<long>(i));
  }
  const id_bits& filled() const { return filled_; }
  void assign(size_t n) {
    table_.assign(n);
    filled_.clear();
  }
  void resize(size_t n) {
    table_.resize(n);
    filled_.truncate(n);
  }
  void swap(equation_slots& o) {
    table_.swap(o.table_);
    filled_.swap(o.filled_);
  }

 private:
  shared_pages<Bddexpression*> table_;
  id_bits filled_;
};

class Bddexpressionwood {
 public:
  int common_bdd_manager;  // 1: the manager is shared and not destroyed with this wood
  bool fork_copy = false;  // made by the fork constructor
  bddpp_manager* man;
  id_bits ens_exp;  // ids that have an equation
  long nb_var_bdd;         // slots in use (the manager's variable count after each growth)
  long nb_max_var_bdd;     // allocated length of the three tables, a power of two
  // Each slot's equation: a fork's copy fills the few slots its branch takes.
  equation_slots exp_table;
  shared_pages<shared_ids> amont_dep_table;  // readers of each variable (see readers, reader_set)
  shared_pages<long> latest_date_table;          // 0: not set
  long nb_level;                                // 0: dates not computed

  // ----- construction -----
  Bddexpressionwood();
  explicit Bddexpressionwood(bddpp_manager* m);  // destroys m with the wood unless the flag is set to 1
  explicit Bddexpressionwood(Bddexpressionwood* src);
  // A copy for a branch of a fork, which src outlives: the copied equations keep src's
  // handles until they are read (Bddexpression::materialize).
  Bddexpressionwood(Bddexpressionwood* src, bool fork);
  Bddexpressionwood& operator=(const Bddexpressionwood& src);
  Bddexpressionwood& operator=(Bddexpressionwood& src);
  ~Bddexpressionwood();
  Bddexpressionwood(const Bddexpressionwood&) = delete;

  int get_common_bdd_manager() const { return common_bdd_manager; }
  void set_common_bdd_manager(int flag) { common_bdd_manager = flag; }

  // ----- variables and table growth -----
  void update_bdd_vars();
  void update_bdd_vars(long k);
  bdd New_var_last(const std::string& name);
  long Index_new_var_last(const std::string& name);
  bdd New_var_before_by_bdd(bdd b, const std::string& name);
  bdd New_var_before_by_index(long i, const std::string& name);
  bdd New_var_after_by_bdd(bdd b, const std::string& name);
  bdd New_var_after_by_index(long i, const std::string& name);

  // Folds the pending terms of every equation whose dependences may be a superset, so that
  // the dependence sets and the reader table are exact; run before any walk that uses them.
  void settle();

  // ----- learning and forgetting -----
  // Constructs an equation of this system from args (the construction learns it) and keeps it
  // when learning took it into the table, else destroys it: the entered equation, or null.
  template <class... Args>
  Bddexpression* enter(Args&&... args) {
    auto e = std::make_unique<Bddexpression>(std::forward<Args>(args)...);
    long k = e->my_index_var();
    return valid_id(k) && slot(k) == e.get() ? e.release() : nullptr;
  }
  void learn_expression(Bddexpression* e);
  void learn_abstract_expression(Bddexpression* e, std::set<long>* readers);
  void forget_expression_by_bddid(long id);
  void absolute_forget_expression_by_bddid(long id);
  void clean(std::set<long>& keep);
  void clean(std::list<long>& keep);

  // ----- look-ups -----
  Bddexpression* exp_by_index(long id);
  Bddexpression* exp_by_bdd(bdd b);
  Bddexpression* exp_by_bddname(const std::string& s);
  Bddexpression* exp_by_name(const std::string& s);
  long Index_exp_by_name(const std::string& s);
  std::string Bddname_exp_by_index(long i);
  std::string Name_exp_by_index(long i);
  std::string Bddname_exp_by_bdd(bdd b);
  std::string Name_exp_by_bdd(bdd b);
  Bddexpression* exp(int n);

  // ----- small accessors -----
  int exp_number() const { return static_cast<int>(ens_exp.size()); }
  long Nb_bdd_vars() const { return nb_var_bdd; }
  long Nb_level() const { return nb_level; }
  bddpp_manager* my_bdd_manager() const { return man; }
  void update_nb_level(long n) { nb_level = n; }
  void append_not_expression(long id);

  // ----- BDD operations forwarded to the manager -----
  bdd Bdd_one() { return man->Bdd_one(); }
  bdd Bdd_zero() { return man->Bdd_zero(); }
  bdd Bdd_not(bdd f) { return man->Bdd_not(f); }
  bdd Bdd_and(bdd f, bdd g) { return man->Bdd_and(f, g); }
  bdd Bdd_or(bdd f, bdd g) { return man->Bdd_or(f, g); }
  bdd Bdd_nand(bdd f, bdd g) { return man->Bdd_nand(f, g); }
  bdd Bdd_nor(bdd f, bdd g) { return man->Bdd_nor(f, g); }
  bdd Bdd_xor(bdd f, bdd g) { return man->Bdd_xor(f, g); }
  bdd Bdd_xnor(bdd f, bdd g) { return man->Bdd_xnor(f, g); }
  bdd Bdd_eq(bdd f, bdd g) { return man->Bdd_eq(f, g); }
  bdd Bdd_implication(bdd f, bdd g) { return man->Bdd_implication(f, g); }
  bdd Bdd_ite(bdd f, bdd g, bdd h) { return man->Bdd_ite(f, g, h); }
  bdd Bdd_exist(bdd f, bdd v) { return man->Bdd_exist(f, v); }
  bdd Bdd_forall(bdd f, bdd v) { return man->Bdd_forall(f, v); }
  bdd Bdd_compose(bdd f, bdd v, bdd g) { return man->Bdd_compose(f, v, g); }
  bdd Bdd_reduce(bdd f, bdd c) { return man->Bdd_reduce(f, c); }
  bdd Bdd_replace_vars(bdd f, long* map) { return man->Bdd_replace_vars(f, map); }
  bdd Bdd_var_by_index(long i) { return man->Bdd_var_by_index(i); }
  bdd Bdd_var_by_id(long id) { return man->Bdd_var_by_id(id); }
  bdd Bdd_var_by_name(const std::string& s) { return man->Bdd_var_by_name(s); }
  long Index_var_by_name(const std::string& s) { return man->Index_var_by_name(s); }
  long Index_var_by_name(const std::string& s, long hint) { return man->Index_var_by_name(s, hint); }
  long Index_var_by_bdd(bdd f) { return man->Index_var_by_bdd(f); }
  long Bdd_if_index(bdd f) { return man->Bdd_if_index(f); }
  std::string Name_var_by_index(long i) { return man->Name_var_by_index(i); }
  std::string Name_var_by_bdd(bdd f) { return man->Name_var_by_bdd(f); }
  int Bdd_is_tautology(bdd f) { return man->Bdd_is_tautology(f); }
  int Bdd_is_tautology(bdd f, int value) { return man->Bdd_is_tautology(f, value); }
  std::set<long> set_of_index_depend_on(bdd f) { return man->set_of_index_depend_on(f); }

  // ----- dependences and critical paths -----
  // Whether the dependence graph is known to have no cycle: checked over the whole table
  // unless a check since the last edit that may add a path found none.
  bool known_acyclic();
  std::set<long> down_dependances(long v, long depth, std::set<long>& acc);
  std::set<long> up_dependances(long v, long depth, std::set<long>& acc);
  long down_critical_path(long v, long depth, long acc);
  // down_critical_path's warning, once, when the readers' graph below v has a cycle, without
  // the depth-bounded walk (whose paths around a cycle grow exponentially with the depth):
  // for the callers that read nothing but the warning.
  void warn_of_cycles_below(long v);
  long up_critical_path(long v, long depth, long acc);
  void coherence_dependances_check(std::ostream& os) const;
  void internal_global_build_dependances();
  // Substitutes the equation of v into its readers; true when the system changed (the
  // substitution, or deferred right sides settled first).
  bool useless_local(long v);
  void stat_early_dep(std::ostream& os, long v);
  void internal_stat_early_dep(std::ostream& os, long v, int depth, std::list<long>* seen);

  // ----- dating and cycle detection -----
  long compute_dates();
  long compute_dates(std::list<long>& ids);
  std::list<long> loop_detection();
  std::list<long> earliest_sort() const;
  std::list<long> latest_sort() const;
  void early_propagation(long v, long date);
  void late_propagation(long v, long date);

  // ----- optimisations -----
  void constants_propagation(std::list<int>& keep);
  void constants_propagation();
  void suppress_wires(std::list<int>& keep);
  void suppress_wires();
  void suppress_locals(std::list<int>& keep);
  void suppress_locals();
  void reduce_expressions(bdd c, std::list<int>& keep);
  void reduce_expressions(bdd c);
  void reduce_expressions_when_var_forgotten_by_exist_op(long index);
  void reduce_expressions_when_var_forgotten_by_forall_op(long index);
  std::set<long> loop_breaking(std::set<long> eligible, int& ok);
  int global_tautology();
  void Put_jxa(std::ostream& os, long* renumber, std::set<long>& kept, int unused);
  void Put_jxa(std::ostream& os, long* renumber, std::set<long>& kept, int unused, const std::string& module);

  // ----- changes, for merging a copy back -----
  // A copy of this system is being made: returns the stamp that dates it (changes of this
  // system are told apart from then on).
  uint64_t capture();
  // Indexes whose equation changed, was replaced or removed after the capture `since`
  // (0: after this system was made), with repeats, in no order.
  std::vector<long> changed_since(uint64_t since) const;
  // The stamp of the last change recorded (0: none).
  uint64_t last_logged_change() const { return changes_.empty() ? 0 : changes_.back().first; }
  // Indexes whose equation changed since it was last merged back unchanged (see
  // Bddexpression::note_merged_back), and may still need a merge to make its nodes.
  const id_bits& unmerged() const { return unmerged_; }
  // k's equation changed, was replaced or removed; record: also in the changes after the
  // last capture.
  void note_change(long k, bool record = true);

  // ----- merging -----
  std::set<long> Set_of_index_used_variables();
  void suppress_local(long id);
  void Include_wood_instance(Bddexpressionwood& instance, std::string& suffix);

  // ----- text forms and statistics -----
  void stat(std::ostream& os) const;
  void Put_jxc(std::ostream& os, long* renumbering, int comments);
  void Put_jxc_2_0_4(std::ostream& os, long* renumbering, int comments);
  void Put_jxc_0_3_0(std::ostream& os, long* renumbering, int method, int comments);
  bdd reduce_proposition();
  void delete_prefixe_names(const std::string& prefix);

  // ----- internal helpers shared by the parts of the implementation -----
  bool valid_id(long id) const { return id >= 0 && id < nb_var_bdd; }
  // id's equation (null: none), to read or change. A slot of a fork's copy not used yet is
  // taken from the system it was copied from first; a system that a copy still borrows
  // from gives that copy its own equation first.
  Bddexpression* slot(long id) const {
    if (!valid_id(id)) return nullptr;
    if (lender_ != nullptr || !borrowers_.empty() || fork_dating_)
      return const_cast<Bddexpressionwood*>(this)->resolve(id);
    return exp_table[static_cast<size_t>(id)];
  }
  // id's equation to read its dependences only: slot's, without taking it from the lender
  // or lending it when the equation of the fork has the same dependences.
  const Bddexpression* peek(long id) const;
  // The equation a fork's copy would take for id, while it has not taken it (null otherwise):
  // the lender's, through the lenders that have not taken it either.
  const Bddexpression* untaken(long id) const;
  const shared_ids& readers(long id) const { return amont_dep_table[static_cast<size_t>(id)]; }
  // id's readers to change. A set shared with a copy of this system is never changed (see
  // shared_ids), so a reference from readers(id) taken before may no longer be id's after it.
  shared_ids& reader_set(long id) {
    touch();
    return amont_dep_table.edit(static_cast<size_t>(id));
  }
  long& latest(long id) {
    touch();
    return latest_date_table.edit(static_cast<size_t>(id));
  }
  long latest(long id) const { return latest_date_table[static_cast<size_t>(id)]; }

 private:
  std::set<Bddexpression*> released;  // equations dropped from the table, destroyed with the wood
  // A fork's copy takes its equations from the system it was copied from (lender_) when they
  // are first used, not at the copy: a branch uses few of them, and merging back reads only
  // those either side changed. lazy_ holds the slots not taken yet; their exp_table entry is
  // null. The lender hands none of those equations out, to change or to read, before each
  // borrower lacking it has taken its copy (slot), so a copy always takes the state of the
  // fork. A lender gives every borrower its copies before it drops or renumbers equations.
  Bddexpressionwood* lender_ = nullptr;
  id_bits lazy_;
  std::vector<Bddexpressionwood*> borrowers_;
  Bddexpression* resolve(long id);
  // id's equation of this system, taken from the lender first when lazy, without lending.
  Bddexpression* own(long id);
  void take(long id);
  void take_all();
  void lend_all();  // every borrower takes all its slots
  void stop_borrowing();

  // The dates of a full dating of this system as a fork's copy of it sees it, with the
  // reverse edges of its graphs: made once for the copies of a system that no longer changes
  // (the state a parallel forks each of its branches from), so that each copy dates only
  // what its branch changed and what that reaches. Null when this system borrows, has an
  // equation a copy would not take with its dependences as they are, or needs the
  // propagation. Dropped by touch.
  struct fork_dating;
  std::shared_ptr<const fork_dating> fork_dating_;
  std::shared_ptr<const fork_dating> dating_for_copies();
  // Counts the changes of this system (every access that may change it), so that a copy can
  // tell that its lender is still as it was when copied.
  uint64_t version_ = 0;
  void touch() {
    ++version_;
    fork_dating_.reset();
  }
  uint64_t lender_version_ = 0;  // a copy: its lender's version once copied
  // The slots a copy of this system borrows (those holding an equation below `shared`), as
  // of `version`: the copies of an unchanged system share one computation.
  struct lent_slots {
    uint64_t version = ~uint64_t{0};
    size_t shared = 0;
    id_bits bits;
  };
  lent_slots lent_;
  // A copy dated by date_from_lender: the slots it has not taken keep the lender's dating,
  // which each takes on when taken.
  std::shared_ptr<const fork_dating> dated_from_;
  static long dated_early(const fork_dating& d, long id);
  // The full dating of a copy from its lender's (dating_for_copies), when the lender is as it
  // was when copied and lends to no one else that changes: the ids the branch changed, the
  // readers they reach and the dependences that reach them are dated again, every other id
  // keeps the lender's dates. The same dates, level and outcome as dates_by_topological_order;
  // false (nothing changed) where that needs the full walk.
  bool date_from_lender();
  struct lender_dating;  // its steps
  // Changes (stamp, index), an equation's first change after each capture only: a fork's
  // merge reads those after its capture instead of the whole table.
  std::vector<std::pair<uint64_t, long>> changes_;
  uint64_t last_capture_ = 0;
  // Only the variables below the size at the last capture (a copy: its own size) are
  // recorded: a copy taken before has no others, a later capture takes the rest as unmerged.
  long captured_size_ = 0;
  id_bits unmerged_;
  std::vector<long> unsettled;        // ids whose dependences may be a superset (see settle)
  // true: the dependence graph of the table has no cycle, so that the critical-path walks
  // of a right-side change would find nothing. Kept by learning and right-side changes,
  // which check each dependence they add; false (unknown) after a copy or any other edit
  // that may add a path, until known_acyclic checks the whole graph. It relies on the
  // reader table being exact.
  bool acyclic = false;
  // Notes that k now reads each of `added` (the edges are in the dependence sets).
  void note_dependences(long k, const std::set<long>& added);

  // Per-call memo of the critical-path walks, stamped so that no clearing is needed.
  std::vector<unsigned long> walk_stamp;
  std::vector<long> walk_value;
  std::vector<long> walk_height;
  std::vector<char> walk_colour;
  unsigned long walk_generation = 0;

  void size_tables_at_construction();
  void init_slots(long from, long to);
  void grow_capacity(long n);
  void copy_from(const Bddexpressionwood& src);
  void destroy_contents();
  void release(Bddexpression* e);
  void destroy_equation(long id);
  void clean_reader_table();
  bool in_keep(const std::list<int>& keep, int usertype) const;
  bool reader_is_abstract(long id) const;
  void put_kept_nodes(std::ostream& os, long* renumbering);

  // Walks: memoised forms return false when a cycle (or the depth bound) needs the literal walk.
  void start_walk();
  // value and height of v: upwards over the dependences, or downwards over the readers.
  bool memo_walk(long v, bool up, long& value, long& height);
  long literal_up_critical_path(long v, long depth, long acc);
  long literal_down_critical_path(long v, long depth, long acc);
  bool dates_by_topological_order();
  bool dates_by_topological_order(const std::list<long>& ids);
  void date_step(long i, const char* error_text);
  void reduce_all(int kind, const bdd& c);
  friend class Bddexpression;
};

std::ostream& operator<<(std::ostream& os, const Bddexpressionwood& w);

// Free functions of the dependence and dating parts.
std::set<long> set_reencoding(const std::set<long>& s, long* table);
long PERT(Bddexpressionwood* w);
long PERT_original_version(long count, Bddexpression** table);
long PERT_original_version(long count, Bddexpression* table);
int learn_upstream_dependance(long N, long* dates, Bddexpression& e, int* overflow);
int learn_downstream_dependance(long N, long* dates, Bddexpression& e, int* overflow);
long normalise_min_min(long N, long* a, long* b);
void affiche_level(long N, bddpp_manager* m, long* levels);

#endif
