// C, C# and Lustre texts of the data part: data expressions, and the declarations of types,
// methods and constants.
#include <cstdio>
#include <list>
#include <map>
#include <ostream>
#include <set>
#include <string>

#include "Bddexpression.h"
#include "compilation.h"
#include "data.h"
#include "gen_printers.h"
#include "module.h"
#include "module_signal.h"
#include "sexception.h"

namespace {

MethodDecl* method_of(int index) {
  DataMethodTable* t = Compilation::GDataMethodTable;
  MethodDecl* d = t != nullptr ? t->getMethodById(index) : nullptr;
  if (d == nullptr) throw UndefinedMethodException("method");
  return d;
}

// The variable name of s's status rail, by occurrence 0 or by the current occurrence.
std::string status_name(Signal* s, Module* m, bool initial) {
  Bddexpressionwood* w = m->getBddWood();
  long id = initial ? s->getInitialBddStatusId(m, w) : s->getBddStatusId(m, w);
  if (id == -1)
    throw IllegalOperationException("DataSignalValue: no status variable for signal", s->getInternalName().c_str());
  return w->Name_var_by_index(id);
}

void put_args(std::ostream& os, Module* m, std::list<DataExpr*>* args, void (DataExpr::*writer)(std::ostream&, Module*)) {
  os << "(";
  if (args != nullptr) {
    const char* separator = "";
    for (DataExpr* a : *args) {
      os << separator;
      (a->*writer)(os, m);
      separator = ", ";
    }
  }
  os << ")";
}

// keyword + " " + result type + " " + name + "(" + argument types + ");" and a line end.
void put_method(std::ostream& os, const char* keyword, const std::string& result, const std::string& name,
                const std::list<std::string>* types) {
  os << keyword << " " << result << " " << name << "(";
  if (types != nullptr) {
    const char* separator = "";
    for (const std::string& t : *types) {
      os << separator << t;
      separator = ", ";
    }
  }
  os << ");\n";
}

void put_zeros(std::ostream& os, const char* keyword, const std::map<std::string, int>& types) {
  for (const auto& t : types) os << keyword << " const " << t.first << " " << t.first << "_zero;\n";
}

template <class Writer>
void put_each(std::ostream& os, std::list<MethodDecl*>* methods, Writer write) {
  if (methods == nullptr) return;
  for (MethodDecl* d : *methods) {
    (d->*write)(os);
    os << "\n";
  }
}

template <class Writer>
void put_each(std::ostream& os, Module* m, std::list<ConstantDecl*>* constants, Writer write) {
  if (constants == nullptr) return;
  for (ConstantDecl* c : *constants) {
    (c->*write)(os, m);
    os << "\n";
  }
}

// A C# name: a keyword gets the verbatim prefix "@", in each part of a dotted name.
std::string csharp_name(const std::string& name) {
  static const std::set<std::string> keywords = {
      "abstract", "as",        "base",     "bool",     "break",    "byte",     "case",       "catch",
      "char",     "checked",   "class",    "const",    "continue", "decimal",  "default",    "delegate",
      "do",       "double",    "else",     "enum",     "event",    "explicit", "extern",     "false",
      "finally",  "fixed",     "float",    "for",      "foreach",  "goto",     "if",         "implicit",
      "in",       "int",       "interface", "internal", "is",      "lock",     "long",       "namespace",
      "new",      "null",      "object",   "operator", "out",      "override", "params",     "private",
      "protected", "public",   "readonly", "ref",      "return",   "sbyte",    "sealed",     "short",
      "sizeof",   "stackalloc", "static",  "string",   "struct",   "switch",   "this",       "throw",
      "true",     "try",       "typeof",   "uint",     "ulong",    "unchecked", "unsafe",    "ushort",
      "using",    "virtual",   "void",     "volatile", "while"};
  std::string out;
  size_t start = 0;
  for (;;) {
    size_t dot = name.find('.', start);
    std::string part = name.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
    out += (keywords.count(part) != 0 ? "@" : "") + part;
    if (dot == std::string::npos) return out;
    out += '.';
    start = dot + 1;
  }
}

bool letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool digit(char c) { return c >= '0' && c <= '9'; }

bool identifier(const std::string& name) {
  if (name.empty() || !letter(name[0])) return false;
  for (char c : name)
    if (!letter(c) && !digit(c)) return false;
  return true;
}

// Each character that cannot stand where it is as "_x" and two upper-case hex digits.
std::string escaped(const std::string& name) {
  std::string out;
  for (size_t i = 0; i < name.size(); ++i) {
    char c = name[i];
    if (letter(c) || (digit(c) && i > 0)) {
      out += c;
    } else {
      char hex[5];
      std::snprintf(hex, sizeof hex, "_x%02X", static_cast<unsigned char>(c));
      out += hex;
    }
  }
  return out;
}

// A text the source scanner reads as an integer ([0-9]+) or a real (-*[0-9]+"."[0-9]*).
bool number(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && text[i] == '-') ++i;
  size_t minus = i, digits = i;
  while (digits < text.size() && digit(text[digits])) ++digits;
  if (digits == minus) return false;
  if (digits == text.size()) return minus == 0;
  if (text[digits] != '.') return false;
  for (size_t k = digits + 1; k < text.size(); ++k)
    if (!digit(text[k])) return false;
  return true;
}

// A literal's text as a C, C# or Lustre literal (see DataValue).
std::string target_literal(const std::string& text) {
  if (!number(text)) {
    std::string out = "\"";
    for (char c : text) out += c == '\\' || c == '"' ? std::string("\\") + c : std::string(1, c);
    return out + "\"";
  }
  if (text.find('.') == std::string::npos) {
    size_t first = text.find_first_not_of('0');
    return first == std::string::npos ? "0" : text.substr(first);
  }
  return text.back() == '.' ? text + "0" : text;
}

// The types whose literals a C# const can hold.
bool csharp_constant_type(const std::string& type) {
  static const std::set<std::string> types = {"bool", "byte",  "sbyte", "char",   "short",   "ushort", "int",
                                              "uint", "long",  "ulong", "float",  "double",  "decimal", "string"};
  return types.count(type) != 0;
}

}  // namespace

std::string DataExpr::CSharp_opname(int op) {
  static const char* const names[] = {" + ", " - ",  " * ",  " / ", " -",   " && ", " | ",
                                      " !",  " == ", " != ", " < ", " <= ", " > ",  " >= "};
  if (op < 0 || op > 13) throw IllegalOperationException("DataExpr::CShap_opname", "invalid_operator");
  return names[op];
}

// ----- C -----

std::string ConstantDecl::getIdentifier() const {
  if (identifier(name)) return name;
  DataConstantTable* t = Compilation::GDataConstantTable;
  std::list<ConstantDecl*> none;
  const std::list<ConstantDecl*>& all = t != nullptr && t->getConstantList() != nullptr ? *t->getConstantList() : none;
  std::set<std::string> taken;
  for (ConstantDecl* c : all)
    if (identifier(c->name)) taken.insert(c->name);
  for (ConstantDecl* c : all) {
    if (identifier(c->name)) continue;
    std::string id = escaped(c->name);
    while (!taken.insert(id).second) id += "_";
    if (c->name == name) return id;
  }
  std::string id = escaped(name);
  while (taken.count(id) != 0) id += "_";
  return id;
}

void DataConstant::C_put(std::ostream& os, Module* m) {
  os << getDecl(std::to_string(constant_index), m != nullptr ? m->getName() : std::string())->getIdentifier();
}

void DataValue::C_put(std::ostream& os, Module*) { os << target_literal(text); }

void DataMethodCall::C_put(std::ostream& os, Module* m) {
  os << method_of(method_index)->getName();
  put_args(os, m, args, &DataExpr::C_put);
}

void DataBinaryOp::C_put(std::ostream& os, Module* m) {
  left->C_put(os, m);
  os << C_opname(op);
  right->C_put(os, m);
}

void DataUnaryOp::C_put(std::ostream& os, Module* m) {
  os << C_opname(op);
  operand->C_put(os, m);
}

void DataSignalValue::C_put(std::ostream& os, Module* m) {
  os << (signal->isOutput() ? "*" : "") << status_name(signal, m, true) << "_val";
}

void DataTypeTable::C_put(std::ostream& os) { put_zeros(os, "extern", *types); }

void MethodDecl::C_put(std::ostream& os) { put_method(os, "extern", return_type, name, arg_type_list); }

void DataMethodTable::C_put(std::ostream& os) { put_each(os, method_list, &MethodDecl::C_put); }

void ConstantDecl::C_put(std::ostream& os, Module* m) {
  if (value == nullptr) os << "extern ";
  os << "const " << type << " " << getIdentifier();
  if (value != nullptr) {
    os << " = ";
    value->C_put(os, m);
  }
  os << ";";
}

void DataConstantTable::C_put(std::ostream& os, Module* m) { put_each(os, m, constant_list, &ConstantDecl::C_put); }

// ----- C# -----

void DataConstant::CSharp_put(std::ostream& os, Module* m) {
  ConstantDecl* d = getDecl(std::to_string(constant_index), m != nullptr ? m->getName() : std::string());
  os << csharp_name(d->getIdentifier());
}

void DataValue::CSharp_put(std::ostream& os, Module* m) { C_put(os, m); }

void DataMethodCall::CSharp_put(std::ostream& os, Module* m) {
  os << csharp_name(method_of(method_index)->getName());
  put_args(os, m, args, &DataExpr::CSharp_put);
}

void DataBinaryOp::CSharp_put(std::ostream& os, Module* m) {
  left->CSharp_put(os, m);
  os << CSharp_opname(op);
  right->CSharp_put(os, m);
}

void DataUnaryOp::CSharp_put(std::ostream& os, Module* m) {
  os << CSharp_opname(op);
  operand->CSharp_put(os, m);
}

void DataSignalValue::CSharp_put(std::ostream& os, Module* m) {
  os << (signal->isOutput() ? " " : "") << status_name(signal, m, false) << "_val";
}

void DataTypeTable::CSharp_put(std::ostream& os) { put_zeros(os, "public", *types); }

void MethodDecl::CSharp_put(std::ostream& os) {
  put_method(os, "public", return_type, csharp_name(name), arg_type_list);
}

void DataMethodTable::CSharp_put(std::ostream& os) { put_each(os, method_list, &MethodDecl::CSharp_put); }

void ConstantDecl::CSharp_put(std::ostream& os, Module* m) {
  // A constant without a value is the user's to set: a C# const needs one. A C# const
  // holds only a literal of a built-in type; any other value is a static field.
  if (value == nullptr) {
    os << "private static readonly " << type << " " << csharp_name(getIdentifier()) << ";";
    return;
  }
  bool literal = value->isDataValue() && csharp_constant_type(type);
  os << (literal ? "private const " : "private static readonly ") << type << " " << csharp_name(getIdentifier())
     << " = ";
  value->CSharp_put(os, m);
  // A real literal is a double: a float or decimal one takes its suffix.
  if (value->isDataValue() && static_cast<DataValue*>(value)->getText().find('.') != std::string::npos)
    os << (type == "float" ? "F" : type == "decimal" ? "M" : "");
  os << ";";
}

void DataConstantTable::CSharp_put(std::ostream& os, Module* m) {
  put_each(os, m, constant_list, &ConstantDecl::CSharp_put);
}

// ----- Lustre -----

void DataExpr::LUSTRE_put(std::ostream&, Module*) { throw AbstractMethodCallException("DataExpr", "LUSTRE_put"); }

std::string DataExpr::LUSTRE_opname(int op) {
  static const char* const names[] = {" + ", " - ",  " * ", " / ", " -",  " and ", " or ",
                                      " not", " = ", " <> ", " < ", " <= ", " > ", " >= "};
  if (op < 0 || op > 13) throw IllegalOperationException("DataExpr::C_opname", "invalid_operator");
  return names[op];
}

void DataConstant::LUSTRE_put(std::ostream& os, Module* m) { C_put(os, m); }

void DataValue::LUSTRE_put(std::ostream& os, Module* m) { C_put(os, m); }

void DataMethodCall::LUSTRE_put(std::ostream& os, Module* m) {
  os << method_of(method_index)->getName();
  put_args(os, m, args, &DataExpr::LUSTRE_put);
}

void DataBinaryOp::LUSTRE_put(std::ostream& os, Module* m) {
  left->LUSTRE_put(os, m);
  os << LUSTRE_opname(op);
  right->LUSTRE_put(os, m);
}

void DataUnaryOp::LUSTRE_put(std::ostream& os, Module* m) {
  os << LUSTRE_opname(op);
  operand->LUSTRE_put(os, m);
}

// A Lustre node reads its results by name: no dereference for an output.
void DataSignalValue::LUSTRE_put(std::ostream& os, Module* m) { os << status_name(signal, m, true) << "_val"; }

// The zero of bool, int and real is a literal, not a constant to declare.
void DataTypeTable::LUSTRE_put(std::ostream& os) {
  for (const auto& t : *types)
    if (zero_lustre(t.first) == t.first + "_zero") os << "const " << t.first << " " << zero_lustre(t.first) << ";\n";
}

void MethodDecl::LUSTRE_put(std::ostream&) {}

void DataMethodTable::LUSTRE_put(std::ostream& os) { put_each(os, method_list, &MethodDecl::LUSTRE_put); }

void ConstantDecl::LUSTRE_put(std::ostream& os, Module* m) {
  if (value == nullptr) os << "extern ";
  os << "const " << type << " " << getIdentifier();
  if (value != nullptr) {
    os << " = ";
    value->LUSTRE_put(os, m);
  }
  os << ";";
}

void DataConstantTable::LUSTRE_put(std::ostream& os, Module* m) {
  put_each(os, m, constant_list, &ConstantDecl::LUSTRE_put);
}
