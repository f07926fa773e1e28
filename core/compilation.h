// Global compilation state: kind codes of BDD variables, option flags, the global
// data tables, the module tables and the source parser instance. Never instantiated.
#ifndef COMPILATION_H
#define COMPILATION_H

#include <iosfwd>
#include <list>
#include <string>

class DataTypeTable;
class DataMethodTable;
class DataConstantTable;
class Module;
class ModuleTable;
class class_jx_parser;
struct socket_type;

class Compilation {
 public:
  Compilation() = delete;

  // Kind codes: odd for a status variable, even for a value variable.
  static constexpr int STAT = 1;
  static constexpr int VAL = 2;
  static constexpr int SINPUT = 3;
  static constexpr int VINPUT = 4;
  static constexpr int SOUTPUT = 5;
  static constexpr int VOUTPUT = 6;
  static constexpr int SREG = 7;
  static constexpr int VREG = 8;
  static constexpr int SWIRE = 9;
  static constexpr int VWIRE = 10;
  static constexpr int SCLOCK = 11;
  static constexpr int VCLOCK = 12;

  static int GDataConstIndex;  // -1

  // Option flags, set by the tool chain's command line; all false at start.
  static bool VHDLALTERAFlag;
  static bool BLIFFlag;
  static bool CSHARPFlag;
  static bool CFlag;
  static bool SMVFlag;
  static bool CheckOverKnowledgeFlag;
  static bool ForgetLocalsNameFlag;
  static bool KeepWiresFlag;
  static bool VersionFlag;
  static bool HelpFlag;
  static bool SaveFlag;
  static bool MainFlag;
  static bool ZarsFlag;
  static bool TemplateZarsFlag;
  static bool ValuedSimulFlag;
  static bool PureSimulFlag;
  static bool DebugFlag;

  // Global data tables, created by the readers at the first declaration of each kind.
  static DataTypeTable* GDataTypeTable;
  static DataMethodTable* GDataMethodTable;
  static DataConstantTable* GDataConstantTable;
  static int SocketReplyTimeout;  // ms, 10000
  static int SocketQuietTime;     // ms, 50: end of a reply of a peer that has sent no NUL

  static ModuleTable* JxcModTable;      // modules loaded from compiled files
  static ModuleTable* ModTable;         // modules read from source
  static std::string* EmptyString;      // shared empty instance name
  static class_jx_parser* pjx_parser;   // source parser, scanner set per parse

  // t % 2 == 1 (a negative odd t is not a status kind).
  static bool isStatusType(int t);
  // t even, 0 and negative even numbers included.
  static bool isValueType(int t);
  // The variable name without its "_s_"/"_v_" prefix; std::out_of_range when shorter than 3.
  static std::string bddNameToSignalName(std::string n);

  // ----- locating and loading modules -----
  // The first file of Module::CompilationFileList whose header line names exactly that
  // module ("module:" then the name as a whole token); "" when none.
  static std::string getJxcFileName(const std::string& module_name);
  // The reincarnate field of that header (0 or 1 as written), -1 when no file holds it.
  static long getReincarnateFromJxcFile(const std::string& module_name);
  // Reads one compiled-module file through jxc_load (log in file + ".log"); null when it is
  // missing, does not parse or its log is refused, with a line on standard error.
  static Module* jxc_parse(const std::string& file, std::string& instance, std::string& run_instance,
                           std::list<std::string>* awaited_inputs, std::list<std::string>* awaited_outputs);
  static Module* jxc_parse(const std::string& file, std::string& instance,
                           std::list<std::string>* awaited_inputs, std::list<std::string>* awaited_outputs);
  // The compiled module of that name from the listed files, or null.
  static Module* createModuleFromJxcCode(const std::string& module_name, std::list<std::string>* awaited_inputs,
                                         std::list<std::string>* awaited_outputs);
  // Reads a source file into ModTable. An unreadable file ends the process (exit 1) after
  // the alert "Can not open input file:"; a reader status other than 0 ends it with that
  // status after its report is written on standard error (and, for status 1, shown in an
  // alert). Exceptions of the reader pass through.
  static void jx_parse(const char* file);

  // Entry points of the two readers (replaceable for tests); while one is null,
  // jxc_parse reports a load error and jx_parse reads nothing.
  // The compiled-module reader parses in (echo and log to log) and returns 0 with the
  // module in *result, or non-zero.
  typedef int (*JxcReader)(std::istream& in, std::ostream& log, int explain, const std::string& instance,
                           const std::string& run_instance, std::list<std::string>* awaited_inputs,
                           std::list<std::string>* awaited_outputs, Module** result);
  // The source reader parses in and returns 0, or a status with its report.
  typedef int (*JxReader)(std::istream& in, std::string& report);
  static JxcReader jxc_reader;
  static JxReader jx_reader;

  // ----- value server -----
  // Sends request whole and returns one reply of at most 1022 bytes; "" when there is no
  // socket, the send fails, the peer closed or the read fails. A request longer than 1023
  // bytes is refused without sending. A reply ends at its NUL byte (read in as many pieces
  // as it comes). A peer that ends its replies so announces it by a NUL byte before anything
  // else (the generated server does as soon as it accepts the connection): with it no reply
  // ever ends otherwise. Before a peer that did not announce it has ended a reply by a NUL,
  // a reply also ends when nothing more comes for SocketQuietTime ms. No reply within
  // SocketReplyTimeout ms, or one cut by that time-out, gives "--"; the rest of that reply
  // is then read and dropped before the next request is sent (if it does not come within
  // SocketReplyTimeout ms either, that request is not sent and gives "--"), and every call
  // gives "--" at once, sending nothing, until Socket_retry. A reply longer than 1022
  // bytes gives "--". Time-outs, long replies and dropped bytes are reported on stderr.
  static std::string Socket_call(const std::string& request, socket_type* socket);
  // Whether a time-out on socket has stopped Socket_call from sending since the last
  // Socket_retry (false without a socket).
  static bool Socket_gave_up(const socket_type* socket);
  // Lets Socket_call send on socket again after a time-out.
  static void Socket_retry(socket_type* socket);
};

#endif
