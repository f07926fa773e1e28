#include "compilation.h"

#include <poll.h>
#include <sys/socket.h>


#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <vector>

#include "Stringpp.h"
#include "g_exit.h"
#include "g_messages.h"
#include "load_jxc.h"
#include "module.h"
#include "parse_jx.h"
#include "parse_jxc.h"
#include "sock.h"

int Compilation::GDataConstIndex = -1;

bool Compilation::VHDLALTERAFlag = false;
bool Compilation::BLIFFlag = false;
bool Compilation::CSHARPFlag = false;
bool Compilation::CFlag = false;
bool Compilation::SMVFlag = false;
bool Compilation::CheckOverKnowledgeFlag = false;
bool Compilation::ForgetLocalsNameFlag = false;
bool Compilation::KeepWiresFlag = false;
bool Compilation::VersionFlag = false;
bool Compilation::HelpFlag = false;
bool Compilation::SaveFlag = false;
bool Compilation::MainFlag = false;
bool Compilation::ZarsFlag = false;
bool Compilation::TemplateZarsFlag = false;
bool Compilation::ValuedSimulFlag = false;
bool Compilation::PureSimulFlag = false;
bool Compilation::DebugFlag = false;

DataTypeTable* Compilation::GDataTypeTable = nullptr;
DataMethodTable* Compilation::GDataMethodTable = nullptr;
DataConstantTable* Compilation::GDataConstantTable = nullptr;

// Dynamic initialisation runs in definition order: JxcModTable, EmptyString,
// pjx_parser, then ModTable. None of them is ever freed.
ModuleTable* Compilation::JxcModTable = new ModuleTable();
std::string* Compilation::EmptyString = new std::string();
class_jx_parser* Compilation::pjx_parser = new class_jx_parser();
ModuleTable* Compilation::ModTable = new ModuleTable();

bool Compilation::isStatusType(int t) { return t % 2 == 1; }

bool Compilation::isValueType(int t) { return t % 2 == 0; }

std::string Compilation::bddNameToSignalName(std::string n) { return n.substr(3); }

// ----- locating and loading modules -----

Compilation::JxcReader Compilation::jxc_reader = &jxc_read_module;
Compilation::JxReader Compilation::jx_reader = &jx_read_source;

namespace {

// The first line of a file, cut at 255 characters; "" when it cannot be opened.
std::string first_line(const std::string& path) {
  std::ifstream in(path);
  if (!in) return std::string();
  char buffer[256] = {0};
  in.getline(buffer, sizeof buffer);
  return std::string(buffer);
}

// Blank-separated tokens of a line.
std::vector<std::string> tokens(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> out;
  std::string t;
  while (in >> t) out.push_back(t);
  return out;
}

// Tokens of the first header line that names exactly module_name; empty when none.
std::vector<std::string> header_of(const std::string& module_name, std::string* path) {
  std::list<std::string>* files = Module::CompilationFileList;
  if (files == nullptr) return {};
  for (const std::string& f : *files) {
    std::vector<std::string> t = tokens(first_line(f));
    if (t.size() >= 2 && t[0] == "module:" && t[1] == module_name) {
      if (path != nullptr) *path = f;
      return t;
    }
  }
  return {};
}

}  // namespace

std::string Compilation::getJxcFileName(const std::string& module_name) {
  std::string path;
  header_of(module_name, &path);
  return path;
}

long Compilation::getReincarnateFromJxcFile(const std::string& module_name) {
  std::vector<std::string> t = header_of(module_name, nullptr);
  if (t.empty()) return -1;
  if (t.size() < 3 || checkuint(t[2]) == 0) return 0;
  return Stol(t[2]) != 0 ? 1 : 0;
}

Module* Compilation::jxc_parse(const std::string& file, std::string& instance, std::string& run_instance,
                               std::list<std::string>* awaited_inputs, std::list<std::string>* awaited_outputs) {
  jxc_load_request request;
  request.instance = instance;
  request.run_instance = run_instance;
  request.awaited_inputs = awaited_inputs;
  request.awaited_outputs = awaited_outputs;
  jxc_load_result loaded = jxc_load(file, request);
  switch (loaded.failure) {
    case jxc_load_result::none:
      break;
    case jxc_load_result::not_found:
      std::cerr << "File: " << file << " does not exist" << std::endl;
      break;
    case jxc_load_result::directory:
      std::cerr << "File: " << file << " is a directory" << std::endl;
      break;
    case jxc_load_result::rejected:
      std::cerr << "ERROR during loading file : " << file << std::endl;
      break;
  }
  if (!loaded.no_log.empty()) std::cerr << loaded.no_log << std::endl;
  return loaded.module;
}

Module* Compilation::jxc_parse(const std::string& file, std::string& instance,
                               std::list<std::string>* awaited_inputs, std::list<std::string>* awaited_outputs) {
  return jxc_parse(file, instance, *EmptyString, awaited_inputs, awaited_outputs);
}

Module* Compilation::createModuleFromJxcCode(const std::string& module_name, std::list<std::string>* awaited_inputs,
                                             std::list<std::string>* awaited_outputs) {
  std::string path = getJxcFileName(module_name);
  if (path.empty()) return nullptr;
  {
    std::ifstream probe(path);
    if (!probe) return nullptr;
  }
  std::string instance;
  return jxc_parse(path, instance, awaited_inputs, awaited_outputs);
}

void Compilation::jx_parse(const char* file) {
  std::string name = file != nullptr ? file : "";
  std::ifstream in(name);
  if (!in) {
    fl_exit_S(forms_box_kind::alert, "Can not open input file:\n" + name + "\n", 1);
  }
  if (jx_reader == nullptr) return;
  std::string report;
  int status = jx_reader(in, report);
  in.close();
  if (status == 0) return;
  if (status == 1) fl_exit_S(forms_box_kind::alert, report, 1);
  g_exit(status, report + "\n");
}

// ----- value server -----

namespace {

// A peer that ends every reply with a NUL byte says so by a NUL byte before anything else
// (an empty reply, which no reply is). Given the first bytes to come from the peer (data, at
// least one), notes that they came and returns whether they begin with that announcement;
// false at once for any later bytes.
bool announced(socket_type* socket, const char* data) {
  if (socket->heard) return false;
  socket->heard = 1;
  if (data[0] != '\0') return false;
  socket->framed = 1;
  return true;
}

// Reads and drops whatever already waits on the socket (but an announcement, which it
// notes); the byte count, -1 when the peer closed.
long drain_pending(socket_type* socket) {
  long dropped = 0;
  char buffer[1024];
  for (;;) {
    pollfd p{socket->fd, POLLIN, 0};
    if (poll(&p, 1, 0) <= 0 || (p.revents & (POLLIN | POLLHUP | POLLERR)) == 0) return dropped;
    ssize_t r = recv(socket->fd, buffer, sizeof buffer, MSG_DONTWAIT);
    if (r == 0) return dropped > 0 ? dropped : -1;
    if (r < 0) return dropped;
    dropped += r - (announced(socket, buffer) ? 1 : 0);
  }
}

// Waits up to timeout_ms for fd to be readable (EINTR restarts the wait); whether it is.
bool wait_readable(int fd, int timeout_ms) {
  pollfd p{fd, POLLIN, 0};
  int r;
  do r = poll(&p, 1, timeout_ms);
  while (r < 0 && errno == EINTR);
  return r > 0;
}

typedef std::chrono::steady_clock Clock;

int ms_left(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

enum class Reply { Whole, Quiet, TimedOut, Closed, Failed };

// Reads one reply into text (its first max_text bytes) and length (all of them): up to its
// NUL byte, which is taken from the stream but nothing past it; while the peer has neither
// announced NUL-ended replies nor ended one so, also up to quiet_ms without more bytes, or
// up to the close. An announcement met first is taken from the stream and noted.
Reply read_reply(socket_type* socket, int timeout_ms, int quiet_ms, size_t max_text, std::string& text,
                 long& length) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  text.clear();
  length = 0;
  char buffer[1024];
  for (;;) {
    const bool quiet = !socket->framed && length > 0;
    int wait = ms_left(deadline);
    if (quiet && wait > quiet_ms) wait = quiet_ms;
    if (!wait_readable(socket->fd, wait)) return quiet ? Reply::Quiet : Reply::TimedOut;
    ssize_t n = recv(socket->fd, buffer, sizeof buffer, MSG_PEEK);
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) return quiet ? Reply::Quiet : Reply::Closed;
    if (n < 0) return Reply::Failed;
    if (announced(socket, buffer)) {
      if (SOCK_read(socket, buffer, 1) != 1) return Reply::Failed;
      continue;
    }
    const char* nul = static_cast<const char*>(std::memchr(buffer, '\0', static_cast<size_t>(n)));
    const size_t take = nul != nullptr ? static_cast<size_t>(nul - buffer) + 1 : static_cast<size_t>(n);
    if (SOCK_read(socket, buffer, static_cast<int>(take)) != static_cast<int>(take)) return Reply::Failed;
    const size_t part = nul != nullptr ? take - 1 : take;
    if (length + static_cast<long>(part) <= static_cast<long>(max_text)) text.append(buffer, part);
    length += static_cast<long>(part);
    if (nul != nullptr) {
      socket->framed = 1;
      return Reply::Whole;
    }
  }
}

}  // namespace

int Compilation::SocketReplyTimeout = 10000;
int Compilation::SocketQuietTime = 50;

bool Compilation::Socket_gave_up(const socket_type* socket) { return socket != nullptr && socket->gave_up != 0; }

void Compilation::Socket_retry(socket_type* socket) {
  if (socket != nullptr) socket->gave_up = 0;
}

std::string Compilation::Socket_call(const std::string& request, socket_type* socket) {
  const size_t max_request = 1023;
  const size_t max_reply = 1022;
  if (request.size() > max_request) {
    std::cerr << "Socket_call: request of " << request.size() << " bytes refused (at most " << max_request
              << ")" << std::endl;
    return std::string();
  }
  if (socket != nullptr && socket->gave_up && !request.empty()) {
    std::cerr << "Socket_call: not sent after a time-out: " << request << std::endl;
    return "--";
  }
  std::string reply;
  long length = 0;
  if (socket != nullptr && !request.empty()) {
    // The replies given up on come first (the server answers in order): read and drop
    // them before sending, so that no request waits behind another at the server.
    while (socket->owed > 0) {
      Reply r = read_reply(socket, SocketReplyTimeout, SocketQuietTime, max_reply, reply, length);
      if (r == Reply::TimedOut) {
        socket->gave_up = 1;
        std::cerr << "Socket_call: no reply within " << SocketReplyTimeout << " ms to an earlier request; not sent: "
                  << request << std::endl;
        return "--";
      }
      if (r == Reply::Closed) std::cout << "connexion stopped by client " << std::endl;
      if (r == Reply::Closed || r == Reply::Failed) return std::string();
      // A peer that sends no NUL ends its late reply by a quiet time: nothing is left owed.
      socket->owed = r == Reply::Quiet ? 0 : socket->owed - 1;
      std::cerr << "Socket_call: " << length + (r == Reply::Whole ? 1 : 0) << " bytes of an earlier reply dropped"
                << std::endl;
    }
    // Bytes already waiting cannot answer this request.
    long dropped = drain_pending(socket);
    if (dropped > 0)
      std::cerr << "Socket_call: " << dropped << " bytes of an earlier reply dropped" << std::endl;
  }
  // Send the whole request; SOCK_write may accept fewer bytes than asked.
  long sent = 0;
  bool failed = false;
  if (socket != nullptr) {
    const char* data = request.data();
    size_t done = 0;
    while (done < request.size()) {
      int n = SOCK_write(socket, data + done, static_cast<int>(request.size() - done));
      if (n <= 0) {
        failed = true;
        break;
      }
      done += static_cast<size_t>(n);
    }
    sent = static_cast<long>(done);
  }
  std::cerr << "Socket_call buffer: " << request << std::endl;
  if (socket == nullptr || failed || sent == 0) return std::string();

  Reply r = read_reply(socket, SocketReplyTimeout, SocketQuietTime, max_reply, reply, length);
  if (r == Reply::TimedOut) {
    // The rest of this reply, up to its NUL, is read and dropped by the next call.
    socket->owed = 1;
    socket->gave_up = 1;
    std::cerr << "Socket_call: no reply within " << SocketReplyTimeout << " ms to: " << request << std::endl;
    return "--";
  }
  if (r == Reply::Closed) std::cout << "connexion stopped by client " << std::endl;
  if (r == Reply::Closed || r == Reply::Failed) return std::string();
  if (length > static_cast<long>(max_reply)) {
    std::cerr << "Socket_call: reply too long (" << length << " bytes) to: " << request << std::endl;
    return "--";
  }
  return reply;
}
