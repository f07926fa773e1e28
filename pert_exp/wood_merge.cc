// Merging of equation systems: the inclusion of an instance under a name suffix, the suppression of
// one local and the set of the variables a system uses.
#include <algorithm>
#include <iostream>
#include <iterator>

#include "Bddexpression.h"
#include "list.h"

namespace {

// Latest date of e's variable in the instance's table; 0 when it has none.
long instance_latest(Bddexpressionwood& instance, const Bddexpression& e) {
  if (e.pw == nullptr || instance.man == nullptr || !bdd_initialised(e.bdd_var) ||
      e.bdd_var.manager_ref() != instance.man)
    return 0;
  long k = instance.man->Bdd_if_index(e.bdd_var);
  return instance.valid_id(k) ? instance.latest(k) : 0;
}

// The used variables of the instance, with the supports of the right sides, so that a stale
// dependence set cannot leave a variable of a right side without its renamed copy.
std::set<long> used_variables(Bddexpressionwood& instance) {
  std::set<long> u = instance.Set_of_index_used_variables();
  for (long id : instance.ens_exp) {
    Bddexpression* e = instance.slot(id);
    if (e != nullptr && e->abstraction == 0 && bdd_initialised(e->bdd_exp) && e->bdd_exp.manager_ref() == instance.man) {
      std::set<long> s = instance.man->set_of_index_depend_on(e->bdd_exp);
      u.insert(s.begin(), s.end());
    }
  }
  long count = instance.man->Nb_bdd_vars();
  for (auto it = u.begin(); it != u.end();) it = *it < 0 || *it >= count ? u.erase(it) : std::next(it);
  return u;
}

std::set<long> renumbered(const std::set<long>& ids, const std::vector<long>& map) {
  std::set<long> r;
  for (long d : ids)
    if (d >= 0 && d < static_cast<long>(map.size()) && map[static_cast<size_t>(d)] >= 0)
      r.insert(map[static_cast<size_t>(d)]);
  return r;
}

}  // namespace

std::set<long> Bddexpressionwood::Set_of_index_used_variables() {
  settle();
  std::set<long> r;
  for (long id : ens_exp) {
    Bddexpression* e = slot(id);
    if (e == nullptr) {
      std::cerr << "internal error in Bddexpressionwood::Set_of_index_used_variables(): expression not found!!!"
                << "   about id:" << id << std::endl;
      continue;
    }
    std::set<long> u = e->set_of_index_used_variables();
    r.insert(u.begin(), u.end());
  }
  return r;
}

void Bddexpressionwood::suppress_local(long id) {
  settle();
  Bddexpression* e = slot(id);
  if (e == nullptr || readers(id).empty() || e->vars_dependance.empty()) return;
  if (readers(id).count(id) != 0 || e->vars_dependance.count(id) != 0) {
    std::cerr << "ERROR: detected self-dependance about variable : " << id << " !!!" << std::endl;
    std::cerr << "in associated wood:" << std::endl;
    std::cerr << *this << std::endl;
    return;
  }
  // An abstract equation has no right side to substitute, nor an abstract reader a BDD to rewrite.
  if (!bdd_initialised(e->bdd_exp) || e->abstraction != 0 || reader_is_abstract(id)) return;
  std::set<long> deps = e->vars_dependance;
  for (long d : deps) {
    if (!valid_id(d)) continue;
    reader_set(d).erase(id);
    for (long r : readers(id)) {
      Bddexpression* re = slot(r);
      if (re != nullptr && re->vars_dependance.count(id) != 0) {
        re->bdd_exp = man->Bdd_compose(re->bdd_exp, e->bdd_var, e->bdd_exp);
        re->vars_dependance.erase(id);
      }
      if (re != nullptr) re->vars_dependance.insert(d);
      reader_set(d).insert(r);
    }
  }
  std::set<long>& rs = reader_set(id).edit();
  for (auto it = rs.begin(); it != rs.end();) {
    if (slot(*it) == nullptr)
      it = rs.erase(it);
    else
      ++it;
  }
  destroy_equation(id);
  reader_set(id).clear();
  ens_exp.erase(id);
  constants_propagation();
  clean_reader_table();
}

void Bddexpressionwood::Include_wood_instance(Bddexpressionwood& instance, std::string& suffix) {
  if (man == nullptr || instance.man == nullptr) return;
  settle();
  instance.settle();
  acyclic = false;  // abstract equations come with their readers
  bddpp_manager* im = instance.man;
  update_bdd_vars();
  std::set<long> u = used_variables(instance);
  auto suffixed = [&](long v) { return im->Name_var_by_index(v) + suffix; };

  // Variables are mapped by index, right sides rebuilt over the map: in the same manager by
  // replacing variables (each copied variable found by its name), else by an isomorphic copy.
  bool same = im == man;
  std::vector<long> map;
  if (same) {
    for (long v : u) New_var_last(suffixed(v));
    map.resize(static_cast<size_t>(nb_var_bdd));
    for (long i = 0; i < nb_var_bdd; ++i) map[static_cast<size_t>(i)] = i;
    for (long v : u) {
      long k = man->Index_var_by_name(suffixed(v));
      if (v >= 0 && v < nb_var_bdd && k >= 0) map[static_cast<size_t>(v)] = k;
    }
  } else {
    map.assign(static_cast<size_t>(std::max(instance.nb_var_bdd, im->Nb_bdd_vars())), -1);
    for (long v : u) {
      bdd nv = New_var_last(suffixed(v));
      if (v >= 0 && v < static_cast<long>(map.size())) map[static_cast<size_t>(v)] = man->Bdd_if_index(nv);
    }
  }
  auto copied = [&](bdd f) {
    if (!bdd_initialised(f)) return bdd();
    return same ? man->Bdd_replace_vars(f, map.data()) : Bdd_isomorphe(man, im, f, map.data());
  };
  id_bits ids = instance.ens_exp;
  for (long id : ids) {
    Bddexpression* e = instance.slot(id);
    if (e == nullptr) continue;
    std::string var_name = e->my_bddname() + suffix;
    long late = instance_latest(instance, *e);
    if (e->abstraction == 0) {
      // Variable before right side, in named temporaries: node ids follow the order of the copies.
      bdd var = same ? man->Bdd_var_by_name(var_name) : copied(e->bdd_var);
      bdd f = copied(e->bdd_exp);
      enter(e->name + suffix, this, var, f, e->exp_def, e->earliest_date, late, e->usertype);
      continue;
    }
    long k = man->Index_var_by_name(var_name);
    std::set<long> deps = renumbered(e->vars_dependance, map);
    // In the same manager the readers come along, in another the kind.
    if (same && valid_id(k) && instance.valid_id(id))
      for (long r : renumbered(instance.readers(id), map))
        if (valid_id(r)) reader_set(k).insert(r);
    Bddexpression* copy = enter(k, this, deps, e->exp_def, e->earliest_date, late);
    if (copy != nullptr && !same) copy->usertype = e->usertype;
  }
  instance.update_bdd_vars();
  if (instance.nb_level > nb_level) nb_level = instance.nb_level;
}
