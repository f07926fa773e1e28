// Value-server generator: the program zars_<module>.cc that answers the simulator's
// MC, BOP, UOP and CONST requests with the user's functions of user_data_<module>.h.
#include <cstdlib>
#include <iostream>
#include <list>
#include <map>
#include <set>
#include <string>

#include "compilation.h"
#include "data.h"
#include "g_messages.h"
#include "module.h"

namespace {

// The type names in byte-wise name order (the table's map order).
const std::map<std::string, int>& type_names() { return *Compilation::GDataTypeTable->getTypes(); }

// The server never brings namespace std into scope, and names every declaration of the
// user-data files through the global namespace ("::" + name), so that no user name meets
// a standard one (a constant "max", a type "vector") or a local of the server ("data",
// "v"), even where the user's header brings std into scope.
std::string user(const std::string& name) { return "::" + name; }

// A type as a declaration names it: a fundamental type's keyword as it is.
std::string user_type(const std::string& type) {
  static const std::set<std::string> keywords = {"bool",   "char",     "char8_t", "char16_t", "char32_t", "wchar_t",
                                                 "short",  "int",      "long",    "signed",   "unsigned", "float",
                                                 "double", "void"};
  return keywords.count(type) != 0 ? type : user(type);
}

// One function per operator: "std::string <name>(std::string type, std::string arg1,
// std::string arg2)"; for each type T, T_to_string(a op b) of a = string_to_T(arg1) and
// b = string_to_T(arg2), unless check (a class template over numeric_limits<T>::is_integer
// and its member) finds that a op b has no value: "--".
void put_checked(std::ostream& os, const char* fname, const char* op, const char* check, const char* fails) {
  os << "std::string " << fname << "(std::string type, std::string arg1, std::string arg2)\n{\n"
     << "  std::string result = \"--\";\n";
  for (const auto& t : type_names()) {
    const std::string& n = t.first;
    const std::string from = user("string_to_" + n);
    os << "  if (type ==  \"" << n << "\") {\n    " << user_type(n) << " a = " << from << "(arg1), b = " << from
       << "(arg2);\n    if (!" << check << "<std::numeric_limits<" << user_type(n) << ">::is_integer>::" << fails
       << "(a, b)) result = " << user(n + "_to_string") << "(a " << op << " b);\n  }\n";
  }
  os << "  return result;\n}\n\n";
}

// binop_plus, binop_minus and binop_mult: an integer result outside its type has no value
// ("--") instead of overflowing; other types compute as they are.
void put_arithmetic(std::ostream& os) {
  os << "/* An integer sum, difference or product outside its type has no value */\n"
        "template <bool integer> struct zars_overflow\n{\n"
        "  template <class T> static bool plus(const T &, const T &) { return false; }\n"
        "  template <class T> static bool minus(const T &, const T &) { return false; }\n"
        "  template <class T> static bool mult(const T &, const T &) { return false; }\n};\n"
        "template <> struct zars_overflow<true>\n{\n"
        "  template <class T> static bool plus(const T & a, const T & b)\n"
        "  { return b > T(0) ? a > std::numeric_limits<T>::max() - b : a < std::numeric_limits<T>::min() - b; }\n"
        "  template <class T> static bool minus(const T & a, const T & b)\n"
        "  { return b > T(0) ? a < std::numeric_limits<T>::min() + b : a > std::numeric_limits<T>::max() + b; }\n"
        "  template <class T> static bool mult(const T & a, const T & b)\n"
        "  {\n"
        "    if (a == T(0) || b == T(0)) return false;\n"
        "    if (a > T(0))\n"
        "      return b > T(0) ? a > std::numeric_limits<T>::max() / b : b < std::numeric_limits<T>::min() / a;\n"
        "    return b > T(0) ? a < std::numeric_limits<T>::min() / b : b < std::numeric_limits<T>::max() / a;\n"
        "  }\n};\n\n";
  put_checked(os, "binop_plus", "+", "zars_overflow", "plus");
  put_checked(os, "binop_minus", "-", "zars_overflow", "minus");
  put_checked(os, "binop_mult", "*", "zars_overflow", "mult");
}

// binop_div: an integer division by zero, or of the least value by -1, has no value ("--")
// instead of ending the server; other types divide as they are.
void put_division(std::ostream& os) {
  os << "/* An integer division by zero, or of the least value by -1, has no value */\n"
        "template <bool integer> struct zars_division\n{\n"
        "  template <class T> static bool fails(const T &, const T &) { return false; }\n};\n"
        "template <> struct zars_division<true>\n{\n"
        "  template <class T> static bool fails(const T & a, const T & b)\n"
        "  { return b == T(0) || (std::numeric_limits<T>::is_signed && b == T(-1) && a == "
        "std::numeric_limits<T>::min()); }\n"
        "};\n\n";
  put_checked(os, "binop_div", "/", "zars_division", "fails");
}

void put_compare(std::ostream& os, const char* fname, const char* op) {
  os << "bool " << fname << " (std::string type, std::string arg1, std::string arg2)\n{\n  bool result = false;\n";
  for (const auto& t : type_names())
    os << "  if (type ==  \"" << t.first << "\") result = " << user("string_to_" + t.first) << "(arg1) " << op << " "
       << user("string_to_" + t.first) << "(arg2);\n";
  os << "  return result;\n}\n\n";
}

// Whether m's expressions, or those of the declared constants, hold a unary minus, a `not`,
// an `and` or an `or`. Only such a server gets the branches that answer them with values
// (a negation in its type's own text form, the truth value of comparisons joined by logic),
// so that the server of any other module is written as before.
bool asks_truth_or_negation(const Module& m) {
  std::set<DataExpr*> nodes;
  if (m.getDataTable() != nullptr)
    for (const auto& entry : *m.getDataTable()) data_expression_closure(entry.second->getValue(), nodes);
  if (Compilation::GDataConstantTable != nullptr && Compilation::GDataConstantTable->getConstantList() != nullptr)
    for (ConstantDecl* c : *Compilation::GDataConstantTable->getConstantList())
      data_expression_closure(c->getValue(), nodes);
  for (DataExpr* e : nodes) {
    if (dynamic_cast<DataUnaryOp*>(e) != nullptr) return true;
    auto* b = dynamic_cast<DataBinaryOp*>(e);
    if (b != nullptr && (b->getOp() == DataExpr::And || b->getOp() == DataExpr::Or)) return true;
  }
  return false;
}

// zars_truth: an operand of `not`, `and` and `or` is a comparison's "true" or "false" (typed
// with its operands' type) or a value of its type. unop_minus: the type's zero minus the
// value, in its own text form; an integer outside its type has no value ("--").
void put_truth_and_negation(std::ostream& os) {
  os << "/* An operand of not, and, or: a truth value or a value of its type */\n"
        "bool zars_truth (std::string type, std::string arg)\n{\n"
        "  return arg == \"true\" || arg == \"false\" || check_type(type, arg);\n}\n\n";
  os << "/* Unary minus: the type's zero minus the value */\n"
        "std::string unop_minus(std::string type, std::string arg)\n{\n  std::string result = \"--\";\n";
  for (const auto& t : type_names()) {
    const std::string& n = t.first;
    const std::string zero = user("zero_" + n);
    os << "  if (type ==  \"" << n << "\") {\n    " << user_type(n) << " b = " << user("string_to_" + n)
       << "(arg);\n    if (!zars_overflow<std::numeric_limits<" << user_type(n) << ">::is_integer>::minus(" << zero
       << ", b)) result = " << user(n + "_to_string") << "(" << zero << " - b);\n  }\n";
  }
  os << "  return result;\n}\n\n";
}

// The fixed socket server and main: it listens on the loopback address for one client,
// sends it a NUL byte first and ends each reply with one; a request whose user function
// throws is answered "--". The simulator's command line quotes its module word;
// SIGPIPE is ignored so that a vanished simulator gives a failed send.
const char* const ServerText[] = {
    "#define ZARS_BUFFER_RECEPT_LENGTH 1024",
    "",
    "// Socket management",
    "class sockserv",
    "{",
    " protected:",
    "  void init(void);",
    "  unsigned internal_portnumber;",
    "  char * internal_hostname;",
    "  char * internal_hostip;",
    "  int internal_fd;",
    " public:",
    "  sockserv(unsigned portnum);",
    "  unsigned accept_connection(void);",
    "  int read (std::string & buffer);",
    "  int write (const std::string & buffer);",
    "  unsigned portnumber(void);",
    "  char * hostname(void);",
    "  char * hostip(void);",
    "  int fd(void);",
    "};",
    "",
    "#ifdef WIN32",
    "#include <fcntl.h>",
    "#include <winsock.h>",
    "#include <io.h>",
    "#include <string.h>",
    "#define ZARS_SOCKET SOCKET",
    "#define ZARS_INVALID_SOCKET INVALID_SOCKET",
    "#define ZARS_BAD_SOCKET(s) ((ZARS_SOCKET)(s) == ZARS_INVALID_SOCKET)",
    "#ifndef _O_WRONLY",
    "#define _O_WRONLY O_WRONLY",
    "#endif",
    "#ifndef _O_RDONLY",
    "#define _O_RDONLY O_RDONLY",
    "#endif",
    "#ifndef MAKEWORD",
    "#define MAKEWORD(a,b) ((unsigned short)(((unsigned char)(a)) | (((unsigned short)((unsigned char)(b))) << 8)))",
    "#endif",
    "typedef int zars_socklen;",
    "#else",
    "#include <unistd.h>",
    "#include <sys/types.h>",
    "#include <sys/socket.h>",
    "#include <netinet/in.h>",
    "#include <arpa/inet.h>",
    "#include <netdb.h>",
    "#include <memory.h>",
    "#include <signal.h>",
    "#include <fcntl.h>",
    "#define ZARS_BAD_SOCKET(s) ((s) < 0)",
    "typedef socklen_t zars_socklen;",
    "#endif",
    "#include <stdio.h>",
    "#include <stdlib.h>",
    "#include <errno.h>",
    "",
    "sockserv::sockserv(unsigned portnum)",
    "{",
    "  init();",
    "  int s = socket(AF_INET, SOCK_STREAM, 0);",
    "  if (ZARS_BAD_SOCKET(s)) { std::cerr << \"Cannot create socket\" << std::endl; exit(1); }",
    "#ifndef WIN32",
    "  // The simulator started through the shell must not hold the port open.",
    "  fcntl(s, F_SETFD, FD_CLOEXEC);",
    "#endif",
    "  struct sockaddr_in addr;",
    "  memset(&addr, 0, sizeof addr);",
    "  addr.sin_family = AF_INET;",
    "  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);",
    "  addr.sin_port = htons((unsigned short)portnum);",
    "  if (bind(s, (struct sockaddr *)&addr, sizeof addr) < 0) { close(s); std::cerr << \"Cannot create socket\" << std::endl; exit(1); }",
    "  zars_socklen len = sizeof addr;",
    "  if (getsockname(s, (struct sockaddr *)&addr, &len) < 0) { close(s); std::cerr << \"cannot create socket\" << std::endl; exit(1); }",
    "  if (listen(s, 5) < 0) { close(s); std::cerr << \"cannot create socket\" << std::endl; exit(1); }",
    "  internal_portnumber = ntohs(addr.sin_port);",
    "  internal_hostname = 0;",
    "  internal_hostip = 0;",
    "  internal_fd = s;",
    "}",
    "",
    "unsigned sockserv::accept_connection(void)",
    "{",
    "  struct sockaddr_in addr;",
    "  zars_socklen len = sizeof addr;",
    "  int s = accept(internal_fd, (struct sockaddr *)&addr, &len);",
    "  if (ZARS_BAD_SOCKET(s)) { std::cerr << \"unable to make connexion\" << std::endl; return 0; }",
    "  struct hostent * h = gethostbyaddr((const char *)&addr.sin_addr, sizeof addr.sin_addr, AF_INET);",
    "  const char * ip = inet_ntoa(addr.sin_addr);",
    "  internal_hostip = strdup(ip);",
    "  internal_hostname = strdup(h != 0 && h->h_name != 0 ? h->h_name : internal_hostip);",
    "  // One client: later connections are refused.",
    "  close(internal_fd);",
    "  internal_fd = s;",
    "  return 1;",
    "}",
    "",
    "inline unsigned sockserv::portnumber(void) { return internal_portnumber; }",
    "inline char * sockserv::hostname(void) { return internal_hostname; }",
    "inline char * sockserv::hostip(void) { return internal_hostip; }",
    "inline int sockserv::fd(void) { return internal_fd; }",
    "",
    "inline int sockserv::read (std::string & buffer)",
    "{",
    "  char buf[ZARS_BUFFER_RECEPT_LENGTH];",
    "  int r = recv(internal_fd, buf, ZARS_BUFFER_RECEPT_LENGTH-1, 0);",
    "  buf[r > 0 ? r : 0] = 0;",
    "  buffer = buf;",
    "  return r;",
    "}",
    "",
    "// The reply and the NUL byte that ends it, in as many sends as it takes.",
    "inline int sockserv::write (const std::string & buffer)",
    "{",
    "  std::string reply = buffer + std::string(1, '\\0');",
    "  size_t done = 0;",
    "  while (done < reply.size()) {",
    "    int n = send(internal_fd, reply.data() + done, reply.size() - done, 0);",
    "    if (n < 0 && errno == EINTR) continue;",
    "    if (n <= 0) return -1;",
    "    done += n;",
    "  }",
    "  return (int)done;",
    "}",
    "",
    "void sockserv::init (void)",
    "{",
    "#ifdef WIN32",
    "  WSADATA data;",
    "  if (WSAStartup(MAKEWORD(1,1), &data) != 0) { std::cerr << \"initialisation failed\" << std::endl; abort(); }",
    "#else",
    "  signal(SIGPIPE, SIG_IGN);",
    "#endif",
    "}",
    "",
    "std::string unsint2s(unsigned d)",
    "{",
    "  std::string s;",
    "  do { s.insert(s.begin(), (char)('0' + d % 10)); d /= 10; } while (d != 0);",
    "  return s;",
    "}",
    "",
    "// One single-quoted shell word.",
    "std::string shell_word(const std::string & s)",
    "{",
    "  std::string out = \"'\";",
    "  for (size_t i = 0; i < s.size(); i++) {",
    "    if (s[i] == '\\'') out += \"'\\\\''\"; else out += s[i];",
    "  }",
    "  return out + \"'\";",
    "}",
    "",
    "int main ()",
    "{",
    "  sockserv socket_server(0);",
    "  std::cerr << \"allocated port number is \" << socket_server.portnumber() << std::endl;",
    "  // The server listens on the loopback address only: the simulator runs on this machine.",
    "  std::string command = std::string(\"zars \") + shell_word(application) + \" 127.0.0.1 \"",
    "    + unsint2s(socket_server.portnumber()) + \" &\";",
    "  int status = system(command.c_str());",
    "  (void)status;",
    "  unsigned accepted = socket_server.accept_connection();",
    "  std::cerr << \"SOCKET accepted ...\" << std::endl;",
    "  if (!accepted) exit(1);",
    "  // Every reply ends with a NUL byte: said first by a NUL byte alone, an empty reply.",
    "  socket_server.write(\"\");",
    "#ifdef WIN32",
    "  u_long blocking = 0;",
    "  ioctlsocket(socket_server.fd(), FIONBIO, &blocking);",
    "#else",
    "  int blocking = 0;",
    "  ioctl(socket_server.fd(), FIONBIO, &blocking);",
    "#endif",
    "  for (;;) {",
    "    std::string request;",
    "    int r = socket_server.read(request);",
    "    std::cerr << \"reading SOCKET ...\" << std::endl;",
    "    if (r > 0) {",
    "      std::cerr << \"BUFFER RECEIVED:\" << request << std::endl;",
    "      std::string reply;",
    "      // A user function that throws gives no value.",
    "      try { reply = compute_data_value(request); } catch (...) { reply = \"--\"; }",
    "      // An empty reply would never reach the simulator.",
    "      if (reply.empty()) reply = \"--\";",
    "      std::cerr << \"TRANSMIT:\" << reply << std::endl;",
    "      socket_server.write(reply);",
    "    } else if (r == 0 || errno == ECONNRESET) {",
    "      // The simulator has closed, or ended before reading all it was sent.",
    "      exit(0);",
    "    } else if (errno != EINTR) {",
    "      std::cerr << \"read error on SOCKET\" << std::endl;",
    "      exit(1);",
    "    }",
    "  }",
    "}",
};

}  // namespace

void Module::SIMUL_JXC_put(std::ostream& os) {
  os << "#include  \"user_data_" << name << ".h\"\n#include <limits>\n";
  os << "#define application \"" << name << ".jxc\"\n";
  SIMUL_JXC_put_predef_func(os);
  os << "std::string compute_data_value(const std::string & param)\n{\n";
  os << "  int n,l;\n  std::string data,tmp;\n  std::vector<std::string> v;\n";
  os << "  l = param.length();\n  tmp = \"\";\n";
  os << "  for (n = 0; n < l; n++) {\n";
  os << "    if (param[n] == ',') { v.push_back(tmp); tmp = \"\"; }\n";
  os << "    else tmp += param[n];\n  }\n";
  os << "  v.push_back(tmp);\n\n";
  if (Compilation::GDataMethodTable != nullptr) {
    os << "   //  METHOD CALL\n";
    SIMUL_JXC_put_method(os);
  }
  SIMUL_JXC_put_binary_op(os);
  SIMUL_JXC_put_unary_op(os);
  if (Compilation::GDataConstantTable != nullptr) {
    os << "   //CONSTANTS\n";
    SIMUL_JXC_put_const(os);
  }
  os << "   return data;\n}\n\n";
  for (const char* line : ServerText) os << line << "\n";
}

void Module::SIMUL_JXC_put_predef_func(std::ostream& os) {
  os << "\n/* TYPE RELATED FUNCTIONS  */\n/*=======================*/\n\n";
  os << "/* Check Type */ \nbool check_type (std::string type, std::string arg)\n{\n  bool result = false;\n";
  if (Compilation::GDataTypeTable == nullptr) {
    const std::string text = "Module::SIMUL_JXC:No type defined\n";
    os.flush();
    fl_exit_S(forms_box_kind::alert, text, 1);
  }
  for (const auto& t : type_names())
    os << "  if (type ==  \"" << t.first << "\") result = " << user("check_" + t.first) << "(arg);\n";
  os << "  return result;\n}\n\n";
  os << "/* string to bool conversion */\nbool string_to_bool (std::string s)\n{\n  return s == \"true\";\n}\n\n";
  os << "/* Binary Operators */ \n";
  put_arithmetic(os);
  put_division(os);
  put_compare(os, "binop_equal", "==");
  put_compare(os, "binop_notequal", "!=");
  put_compare(os, "binop_inf", "<");
  put_compare(os, "binop_infe", "<=");
  put_compare(os, "binop_sup", ">");
  put_compare(os, "binop_supe", ">=");
  if (asks_truth_or_negation(*this)) put_truth_and_negation(os);
}

// Every field index is guarded: a short or cut request answers "--".
void Module::SIMUL_JXC_put_method(std::ostream& os) {
  os << "  if (v[0] == \"MC\") {\n";
  os << "    if (v.size() < 2) data = std::string(\"--\");\n";
  std::list<MethodDecl*>* methods = Compilation::GDataMethodTable->getMethodList();
  if (methods != nullptr)
  for (MethodDecl* m : *methods) {
    const std::string to_text = user(m->getReturnType() + "_to_string");
    os << "    if (v.size() >= 2 && v[1] == \"" << m->getName() << "\") {\n";
    std::list<std::string>* args = m->getArgTypeList();
    if (args == nullptr || args->empty()) {
      os << "      data = " << to_text << "(" << user(m->getName()) << "());\n";
    } else {
      os << "      if (v.size() < " << args->size() + 2 << ") data = std::string(\"--\");\n      else if (";
      std::size_t i = 2;
      for (const std::string& t : *args) {
        os << (i != 2 ? " && " : "") << user("check_" + t) << "(v[" << i << "])";
        ++i;
      }
      os << ")\n        data = " << to_text << "(" << user(m->getName()) << "(";
      i = 2;
      for (const std::string& t : *args) {
        os << (i != 2 ? ", " : "") << user("string_to_" + t) << "(v[" << i << "])";
        ++i;
      }
      os << "));\n      else data = std::string(\"--\");\n";
    }
    os << "    }\n";
  }
  os << "  }\n";
}

void Module::SIMUL_JXC_put_binary_op(std::ostream& os) {
  os << "   //BINARY OP\n"
        "  if (v[0] == \"BOP\") {\n"
        "    bool res;\n"
        "    if (v.size() < 6) data = std::string(\"--\");\n"
        "    else if (v[2] != v[5]) {\n"
        "      std::cerr << \"Error: Binary operator with arguments not having the same type\" << std::endl;\n"
        "      data = std::string(\"--\");\n";
  if (asks_truth_or_negation(*this))
    os << "    } else if ((v[3] == \" && \" || v[3] == \" | \") && zars_truth(v[2], v[1]) && zars_truth(v[2], v[4])) {\n"
          "      res = v[3] == \" && \" ? string_to_bool(v[1]) && string_to_bool(v[4])\n"
          "                          : string_to_bool(v[1]) | string_to_bool(v[4]);\n"
          "      data = res ? \"true\" : \"false\";\n";
  os << "    } else if (check_type(v[2], v[1]) && check_type(v[2], v[4])) {\n"
        "      if (v[3] == \" + \") data = binop_plus(v[2], v[1], v[4]);\n"
        "      else if (v[3] == \" - \") data = binop_minus(v[2], v[1], v[4]);\n"
        "      else if (v[3] == \" * \") data = binop_mult(v[2], v[1], v[4]);\n"
        "      else if (v[3] == \" / \") data = binop_div(v[2], v[1], v[4]);\n"
        "      else if (v[3] == \" && \") { res = string_to_bool(v[1]) && string_to_bool(v[4]); data = res ? \"true\" : \"false\"; }\n"
        "      else if (v[3] == \" | \") { res = string_to_bool(v[1]) | string_to_bool(v[4]); data = res ? \"true\" : \"false\"; }\n"
        "      else if (v[3] == \" == \") { res = binop_equal(v[2], v[1], v[4]); data = res ? \"true\" : \"false\"; }\n"
        "      else if (v[3] == \" != \") { res = binop_notequal(v[2], v[1], v[4]); data = res ? \"true\" : \"false\"; }\n"
        "      else if (v[3] == \" < \") { res = binop_inf(v[2], v[1], v[4]); data = res ? \"true\" : \"false\"; }\n"
        "      else if (v[3] == \" <= \") { res = binop_infe(v[2], v[1], v[4]); data = res ? \"true\" : \"false\"; }\n"
        "      else if (v[3] == \" > \") { res = binop_sup(v[2], v[1], v[4]); data = res ? \"true\" : \"false\"; }\n"
        "      else if (v[3] == \" >= \") { res = binop_supe(v[2], v[1], v[4]); data = res ? \"true\" : \"false\"; }\n"
        "      else {\n"
        "        std::cerr << \"Error: SIMUL_JXC:unknown binary operator\" << std::endl;\n"
        "        data = std::string(\"--\");\n"
        "      }\n"
        "    } else data = std::string(\"--\");\n"
        "  }\n";
}

void Module::SIMUL_JXC_put_unary_op(std::ostream& os) {
  const bool values = asks_truth_or_negation(*this);
  os << "   //UNARY OP\n"
        "  if (v[0] == \"UOP\") {\n"
        "    if (v.size() < 4) data = std::string(\"--\");\n";
  if (values)
    os << "    else if (v[1] == \" !\" && (v[2] == \"true\" || v[2] == \"false\")) data = v[2] == \"true\" ? \"false\" : \"true\";\n";
  os << "    else if (check_type(v[3], v[2])) {\n"
     << (values ? "      if (v[1] == \" -\") data = unop_minus(v[3], v[2]);\n"
                : "      if (v[1] == \" -\") data = std::string(\" -\") + v[2];\n")
     << "      else if (v[1] == \" !\") data = !string_to_bool(v[2]) ? \"true\" : \"false\";\n"
        "      else {\n"
        "        std::cerr << \"Error: SIMUL_JXC:unknown unary operator\" << std::endl;\n"
        "        data = std::string(\"--\");\n"
        "      }\n"
        "    } else data = std::string(\"--\");\n"
        "  }\n";
}

// The request names a constant as the compiled module does; the server reads it by its
// identifier.
void Module::SIMUL_JXC_put_const(std::ostream& os) {
  os << "  if (v[0] == \"CONST\") {\n    data = std::string(\"--\");\n";
  std::list<ConstantDecl*>* constants = Compilation::GDataConstantTable->getConstantList();
  if (constants != nullptr)
  for (ConstantDecl* c : *constants) {
    if (c->getValue() != nullptr) continue;
    os << "    if (v.size() >= 2 && v[1] == \"" << c->getName() << "\") data = " << user(c->getType() + "_to_string")
       << "(" << user(c->getIdentifier()) << ");\n";
  }
  os << "  }\n";
}
