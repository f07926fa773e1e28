// Global compilation state: kind codes of BDD variables, option flags, the global
// data tables, the module tables and the source parser instance. Never instantiated.
#ifndef COMPILATION_H
#define COMPILATION_H

#include <string>

class DataTypeTable;
class DataMethodTable;
class DataConstantTable;
class ModuleTable;
class class_jx_parser;

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
};

#endif
