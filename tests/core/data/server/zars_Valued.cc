#include  "user_data_Valued.h"
#include <limits>
#define application "Valued.jxc"

/* TYPE RELATED FUNCTIONS  */
/*=======================*/

/* Check Type */ 
bool check_type (std::string type, std::string arg)
{
  bool result = false;
  if (type ==  "num") result = ::check_num(arg);
  if (type ==  "real") result = ::check_real(arg);
  return result;
}

/* string to bool conversion */
bool string_to_bool (std::string s)
{
  return s == "true";
}

/* Binary Operators */ 
/* An integer sum, difference or product outside its type has no value */
template <bool integer> struct zars_overflow
{
  template <class T> static bool plus(const T &, const T &) { return false; }
  template <class T> static bool minus(const T &, const T &) { return false; }
  template <class T> static bool mult(const T &, const T &) { return false; }
};
template <> struct zars_overflow<true>
{
  template <class T> static bool plus(const T & a, const T & b)
  { return b > T(0) ? a > std::numeric_limits<T>::max() - b : a < std::numeric_limits<T>::min() - b; }
  template <class T> static bool minus(const T & a, const T & b)
  { return b > T(0) ? a < std::numeric_limits<T>::min() + b : a > std::numeric_limits<T>::max() + b; }
  template <class T> static bool mult(const T & a, const T & b)
  {
    if (a == T(0) || b == T(0)) return false;
    if (a > T(0))
      return b > T(0) ? a > std::numeric_limits<T>::max() / b : b < std::numeric_limits<T>::min() / a;
    return b > T(0) ? a < std::numeric_limits<T>::min() / b : b < std::numeric_limits<T>::max() / a;
  }
};

std::string binop_plus(std::string type, std::string arg1, std::string arg2)
{
  std::string result = "--";
  if (type ==  "num") {
    ::num a = ::string_to_num(arg1), b = ::string_to_num(arg2);
    if (!zars_overflow<std::numeric_limits<::num>::is_integer>::plus(a, b)) result = ::num_to_string(a + b);
  }
  if (type ==  "real") {
    ::real a = ::string_to_real(arg1), b = ::string_to_real(arg2);
    if (!zars_overflow<std::numeric_limits<::real>::is_integer>::plus(a, b)) result = ::real_to_string(a + b);
  }
  return result;
}

std::string binop_minus(std::string type, std::string arg1, std::string arg2)
{
  std::string result = "--";
  if (type ==  "num") {
    ::num a = ::string_to_num(arg1), b = ::string_to_num(arg2);
    if (!zars_overflow<std::numeric_limits<::num>::is_integer>::minus(a, b)) result = ::num_to_string(a - b);
  }
  if (type ==  "real") {
    ::real a = ::string_to_real(arg1), b = ::string_to_real(arg2);
    if (!zars_overflow<std::numeric_limits<::real>::is_integer>::minus(a, b)) result = ::real_to_string(a - b);
  }
  return result;
}

std::string binop_mult(std::string type, std::string arg1, std::string arg2)
{
  std::string result = "--";
  if (type ==  "num") {
    ::num a = ::string_to_num(arg1), b = ::string_to_num(arg2);
    if (!zars_overflow<std::numeric_limits<::num>::is_integer>::mult(a, b)) result = ::num_to_string(a * b);
  }
  if (type ==  "real") {
    ::real a = ::string_to_real(arg1), b = ::string_to_real(arg2);
    if (!zars_overflow<std::numeric_limits<::real>::is_integer>::mult(a, b)) result = ::real_to_string(a * b);
  }
  return result;
}

/* An integer division by zero, or of the least value by -1, has no value */
template <bool integer> struct zars_division
{
  template <class T> static bool fails(const T &, const T &) { return false; }
};
template <> struct zars_division<true>
{
  template <class T> static bool fails(const T & a, const T & b)
  { return b == T(0) || (std::numeric_limits<T>::is_signed && b == T(-1) && a == std::numeric_limits<T>::min()); }
};

std::string binop_div(std::string type, std::string arg1, std::string arg2)
{
  std::string result = "--";
  if (type ==  "num") {
    ::num a = ::string_to_num(arg1), b = ::string_to_num(arg2);
    if (!zars_division<std::numeric_limits<::num>::is_integer>::fails(a, b)) result = ::num_to_string(a / b);
  }
  if (type ==  "real") {
    ::real a = ::string_to_real(arg1), b = ::string_to_real(arg2);
    if (!zars_division<std::numeric_limits<::real>::is_integer>::fails(a, b)) result = ::real_to_string(a / b);
  }
  return result;
}

bool binop_equal (std::string type, std::string arg1, std::string arg2)
{
  bool result = false;
  if (type ==  "num") result = ::string_to_num(arg1) == ::string_to_num(arg2);
  if (type ==  "real") result = ::string_to_real(arg1) == ::string_to_real(arg2);
  return result;
}

bool binop_notequal (std::string type, std::string arg1, std::string arg2)
{
  bool result = false;
  if (type ==  "num") result = ::string_to_num(arg1) != ::string_to_num(arg2);
  if (type ==  "real") result = ::string_to_real(arg1) != ::string_to_real(arg2);
  return result;
}

bool binop_inf (std::string type, std::string arg1, std::string arg2)
{
  bool result = false;
  if (type ==  "num") result = ::string_to_num(arg1) < ::string_to_num(arg2);
  if (type ==  "real") result = ::string_to_real(arg1) < ::string_to_real(arg2);
  return result;
}

bool binop_infe (std::string type, std::string arg1, std::string arg2)
{
  bool result = false;
  if (type ==  "num") result = ::string_to_num(arg1) <= ::string_to_num(arg2);
  if (type ==  "real") result = ::string_to_real(arg1) <= ::string_to_real(arg2);
  return result;
}

bool binop_sup (std::string type, std::string arg1, std::string arg2)
{
  bool result = false;
  if (type ==  "num") result = ::string_to_num(arg1) > ::string_to_num(arg2);
  if (type ==  "real") result = ::string_to_real(arg1) > ::string_to_real(arg2);
  return result;
}

bool binop_supe (std::string type, std::string arg1, std::string arg2)
{
  bool result = false;
  if (type ==  "num") result = ::string_to_num(arg1) >= ::string_to_num(arg2);
  if (type ==  "real") result = ::string_to_real(arg1) >= ::string_to_real(arg2);
  return result;
}

std::string compute_data_value(const std::string & param)
{
  int n,l;
  std::string data,tmp;
  std::vector<std::string> v;
  l = param.length();
  tmp = "";
  for (n = 0; n < l; n++) {
    if (param[n] == ',') { v.push_back(tmp); tmp = ""; }
    else tmp += param[n];
  }
  v.push_back(tmp);

   //  METHOD CALL
  if (v[0] == "MC") {
    if (v.size() < 2) data = std::string("--");
    if (v.size() >= 2 && v[1] == "count") {
      data = ::num_to_string(::count());
    }
    if (v.size() >= 2 && v[1] == "twice") {
      if (v.size() < 3) data = std::string("--");
      else if (::check_num(v[2]))
        data = ::num_to_string(::twice(::string_to_num(v[2])));
      else data = std::string("--");
    }
    if (v.size() >= 2 && v[1] == "mix") {
      if (v.size() < 4) data = std::string("--");
      else if (::check_num(v[2]) && ::check_real(v[3]))
        data = ::real_to_string(::mix(::string_to_num(v[2]), ::string_to_real(v[3])));
      else data = std::string("--");
    }
  }
   //BINARY OP
  if (v[0] == "BOP") {
    bool res;
    if (v.size() < 6) data = std::string("--");
    else if (v[2] != v[5]) {
      std::cerr << "Error: Binary operator with arguments not having the same type" << std::endl;
      data = std::string("--");
    } else if (check_type(v[2], v[1]) && check_type(v[2], v[4])) {
      if (v[3] == " + ") data = binop_plus(v[2], v[1], v[4]);
      else if (v[3] == " - ") data = binop_minus(v[2], v[1], v[4]);
      else if (v[3] == " * ") data = binop_mult(v[2], v[1], v[4]);
      else if (v[3] == " / ") data = binop_div(v[2], v[1], v[4]);
      else if (v[3] == " && ") { res = string_to_bool(v[1]) && string_to_bool(v[4]); data = res ? "true" : "false"; }
      else if (v[3] == " | ") { res = string_to_bool(v[1]) | string_to_bool(v[4]); data = res ? "true" : "false"; }
      else if (v[3] == " == ") { res = binop_equal(v[2], v[1], v[4]); data = res ? "true" : "false"; }
      else if (v[3] == " != ") { res = binop_notequal(v[2], v[1], v[4]); data = res ? "true" : "false"; }
      else if (v[3] == " < ") { res = binop_inf(v[2], v[1], v[4]); data = res ? "true" : "false"; }
      else if (v[3] == " <= ") { res = binop_infe(v[2], v[1], v[4]); data = res ? "true" : "false"; }
      else if (v[3] == " > ") { res = binop_sup(v[2], v[1], v[4]); data = res ? "true" : "false"; }
      else if (v[3] == " >= ") { res = binop_supe(v[2], v[1], v[4]); data = res ? "true" : "false"; }
      else {
        std::cerr << "Error: SIMUL_JXC:unknown binary operator" << std::endl;
        data = std::string("--");
      }
    } else data = std::string("--");
  }
   //UNARY OP
  if (v[0] == "UOP") {
    if (v.size() < 4) data = std::string("--");
    else if (check_type(v[3], v[2])) {
      if (v[1] == " -") data = std::string(" -") + v[2];
      else if (v[1] == " !") data = !string_to_bool(v[2]) ? "true" : "false";
      else {
        std::cerr << "Error: SIMUL_JXC:unknown unary operator" << std::endl;
        data = std::string("--");
      }
    } else data = std::string("--");
  }
   //CONSTANTS
  if (v[0] == "CONST") {
    data = std::string("--");
    if (v.size() >= 2 && v[1] == "rate") data = ::real_to_string(::rate);
  }
   return data;
}

#define ZARS_BUFFER_RECEPT_LENGTH 1024

// Socket management
class sockserv
{
 protected:
  void init(void);
  unsigned internal_portnumber;
  char * internal_hostname;
  char * internal_hostip;
  int internal_fd;
 public:
  sockserv(unsigned portnum);
  unsigned accept_connection(void);
  int read (std::string & buffer);
  int write (const std::string & buffer);
  unsigned portnumber(void);
  char * hostname(void);
  char * hostip(void);
  int fd(void);
};

#ifdef WIN32
#include <fcntl.h>
#include <winsock.h>
#include <io.h>
#include <string.h>
#define ZARS_SOCKET SOCKET
#define ZARS_INVALID_SOCKET INVALID_SOCKET
#define ZARS_BAD_SOCKET(s) ((ZARS_SOCKET)(s) == ZARS_INVALID_SOCKET)
#ifndef _O_WRONLY
#define _O_WRONLY O_WRONLY
#endif
#ifndef _O_RDONLY
#define _O_RDONLY O_RDONLY
#endif
#ifndef MAKEWORD
#define MAKEWORD(a,b) ((unsigned short)(((unsigned char)(a)) | (((unsigned short)((unsigned char)(b))) << 8)))
#endif
typedef int zars_socklen;
#else
#include <unistd.h>
#include <sys/types.h>
#include <sys/socket.h>
#include <netinet/in.h>
#include <arpa/inet.h>
#include <netdb.h>
#include <memory.h>
#include <signal.h>
#include <fcntl.h>
#define ZARS_BAD_SOCKET(s) ((s) < 0)
typedef socklen_t zars_socklen;
#endif
#include <stdio.h>
#include <stdlib.h>
#include <errno.h>

sockserv::sockserv(unsigned portnum)
{
  init();
  int s = socket(AF_INET, SOCK_STREAM, 0);
  if (ZARS_BAD_SOCKET(s)) { std::cerr << "Cannot create socket" << std::endl; exit(1); }
#ifndef WIN32
  // The simulator started through the shell must not hold the port open.
  fcntl(s, F_SETFD, FD_CLOEXEC);
#endif
  struct sockaddr_in addr;
  memset(&addr, 0, sizeof addr);
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons((unsigned short)portnum);
  if (bind(s, (struct sockaddr *)&addr, sizeof addr) < 0) { close(s); std::cerr << "Cannot create socket" << std::endl; exit(1); }
  zars_socklen len = sizeof addr;
  if (getsockname(s, (struct sockaddr *)&addr, &len) < 0) { close(s); std::cerr << "cannot create socket" << std::endl; exit(1); }
  if (listen(s, 5) < 0) { close(s); std::cerr << "cannot create socket" << std::endl; exit(1); }
  internal_portnumber = ntohs(addr.sin_port);
  internal_hostname = 0;
  internal_hostip = 0;
  internal_fd = s;
}

unsigned sockserv::accept_connection(void)
{
  struct sockaddr_in addr;
  zars_socklen len = sizeof addr;
  int s = accept(internal_fd, (struct sockaddr *)&addr, &len);
  if (ZARS_BAD_SOCKET(s)) { std::cerr << "unable to make connexion" << std::endl; return 0; }
  struct hostent * h = gethostbyaddr((const char *)&addr.sin_addr, sizeof addr.sin_addr, AF_INET);
  const char * ip = inet_ntoa(addr.sin_addr);
  internal_hostip = strdup(ip);
  internal_hostname = strdup(h != 0 && h->h_name != 0 ? h->h_name : internal_hostip);
  // One client: later connections are refused.
  close(internal_fd);
  internal_fd = s;
  return 1;
}

inline unsigned sockserv::portnumber(void) { return internal_portnumber; }
inline char * sockserv::hostname(void) { return internal_hostname; }
inline char * sockserv::hostip(void) { return internal_hostip; }
inline int sockserv::fd(void) { return internal_fd; }

inline int sockserv::read (std::string & buffer)
{
  char buf[ZARS_BUFFER_RECEPT_LENGTH];
  int r = recv(internal_fd, buf, ZARS_BUFFER_RECEPT_LENGTH-1, 0);
  buf[r > 0 ? r : 0] = 0;
  buffer = buf;
  return r;
}

// The reply and the NUL byte that ends it, in as many sends as it takes.
inline int sockserv::write (const std::string & buffer)
{
  std::string reply = buffer + std::string(1, '\0');
  size_t done = 0;
  while (done < reply.size()) {
    int n = send(internal_fd, reply.data() + done, reply.size() - done, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return -1;
    done += n;
  }
  return (int)done;
}

void sockserv::init (void)
{
#ifdef WIN32
  WSADATA data;
  if (WSAStartup(MAKEWORD(1,1), &data) != 0) { std::cerr << "initialisation failed" << std::endl; abort(); }
#else
  signal(SIGPIPE, SIG_IGN);
#endif
}

std::string unsint2s(unsigned d)
{
  std::string s;
  do { s.insert(s.begin(), (char)('0' + d % 10)); d /= 10; } while (d != 0);
  return s;
}

// One single-quoted shell word.
std::string shell_word(const std::string & s)
{
  std::string out = "'";
  for (size_t i = 0; i < s.size(); i++) {
    if (s[i] == '\'') out += "'\\''"; else out += s[i];
  }
  return out + "'";
}

int main ()
{
  sockserv socket_server(0);
  std::cerr << "allocated port number is " << socket_server.portnumber() << std::endl;
  // The server listens on the loopback address only: the simulator runs on this machine.
  std::string command = std::string("zars ") + shell_word(application) + " 127.0.0.1 "
    + unsint2s(socket_server.portnumber()) + " &";
  int status = system(command.c_str());
  (void)status;
  unsigned accepted = socket_server.accept_connection();
  std::cerr << "SOCKET accepted ..." << std::endl;
  if (!accepted) exit(1);
  // Every reply ends with a NUL byte: said first by a NUL byte alone, an empty reply.
  socket_server.write("");
#ifdef WIN32
  u_long blocking = 0;
  ioctlsocket(socket_server.fd(), FIONBIO, &blocking);
#else
  int blocking = 0;
  ioctl(socket_server.fd(), FIONBIO, &blocking);
#endif
  for (;;) {
    std::string request;
    int r = socket_server.read(request);
    std::cerr << "reading SOCKET ..." << std::endl;
    if (r > 0) {
      std::cerr << "BUFFER RECEIVED:" << request << std::endl;
      std::string reply;
      // A user function that throws gives no value.
      try { reply = compute_data_value(request); } catch (...) { reply = "--"; }
      // An empty reply would never reach the simulator.
      if (reply.empty()) reply = "--";
      std::cerr << "TRANSMIT:" << reply << std::endl;
      socket_server.write(reply);
    } else if (r == 0 || errno == ECONNRESET) {
      // The simulator has closed, or ended before reading all it was sent.
      exit(0);
    } else if (errno != EINTR) {
      std::cerr << "read error on SOCKET" << std::endl;
      exit(1);
    }
  }
}
