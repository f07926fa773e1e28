#include "list.h"

#include <string>

std::ostream& operator<<(std::ostream& os, const std::set<long>& s) {
  os << "{";
  bool first = true;
  for (long x : s) {
    if (!first) os << ",";
    first = false;
    os << x;
  }
  return os << "}";
}

std::set<long> priv(const std::set<long>& a, const std::set<long>& b) {
  std::set<long> r;
  for (long x : a)
    if (b.count(x) == 0) r.insert(r.end(), x);
  return r;
}

std::set<long> set_inter(const std::set<long>& a, const std::set<long>& b) {
  std::set<long> r;
  for (long x : a)
    if (b.count(x) != 0) r.insert(r.end(), x);
  return r;
}

std::set<long> set_union(const std::set<long>& a, const std::set<long>& b) {
  std::set<long> r = a;
  r.insert(b.begin(), b.end());
  return r;
}

int internal_inf(long a, long b) { return a <= b; }

// Instantiations for the plain element types.
using std::list;
using std::string;
using SortCmp = int (*)(long, long);

template int item_where<int>(const list<int>&, const int&);
template int item_where<string>(const list<string>&, const string&);
template int item_where<list<int>>(const list<list<int>>&, const list<int>&);
template int item_where<list<long>>(const list<list<long>>&, const list<long>&);
template int item_where<list<double>>(const list<list<double>>&, const list<double>&);
template int item_where<list<string>>(const list<list<string>>&, const list<string>&);

template bool item_in<string>(const list<string>&, const string&);
template bool item_in<int>(const list<int>&, const int&);
template bool item_in<long>(const list<long>&, const long&);
template bool item_in<int>(const std::set<int>&, const int&);

template int read_number<int>(const list<int>&, int);
template string read_number<string>(const list<string>&, int);

template void replace_number<int>(list<int>&, int, const int&);

template string* array_convert<string>(const list<string>&);
template list<int>* array_convert<list<int>>(const list<list<int>>&);
template list<long>* array_convert<list<long>>(const list<list<long>>&);
template list<double>* array_convert<list<double>>(const list<list<double>>&);
template list<string>* array_convert<list<string>>(const list<list<string>>&);

template std::ostream& operator<< <int>(std::ostream&, const list<int>&);
template std::ostream& operator<< <long>(std::ostream&, const list<long>&);
template std::ostream& operator<< <double>(std::ostream&, const list<double>&);
template std::ostream& operator<< <string>(std::ostream&, const list<string>&);
template std::ostream& operator<< <list<int>>(std::ostream&, const list<list<int>>&);
template std::ostream& operator<< <list<long>>(std::ostream&, const list<list<long>>&);
template std::ostream& operator<< <list<double>>(std::ostream&, const list<list<double>>&);
template std::ostream& operator<< <list<string>>(std::ostream&, const list<list<string>>&);

template class g_set<long>;
template class g_scanset<long>;
template class sort_tree<long>;
template void sort_all<long, SortCmp>(long*, int, SortCmp);
