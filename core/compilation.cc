#include "compilation.h"

#include "module.h"
#include "parse_jx.h"

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
