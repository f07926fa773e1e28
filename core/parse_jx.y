/* Source (.jx) grammar: an optional data part, then one or more modules. The actions call
   the helpers of parse_jx_build.h; token texts and lists are taken over by take() and own()
   so that an exception of a helper frees them. The first syntax error ends the parse (no
   recovery). */

%define api.prefix {jx}
%define parse.error simple
%define parse.trace

/* A transition whose first name is followed by nothing but its end ('X;', 'X geometry: ...')
   names its source: the shift of the name wins over the empty trigger, action and arrow
   that would make it the target. */
%expect 1

%code requires {
#include "parse_jx_build.h"
}

%code {
#include <memory>

#include "data.h"
#include "parse_jx.h"

#define YYINITDEPTH 200
#define YYMAXDEPTH 10000

namespace {
std::string take(std::string* p) {
  std::unique_ptr<std::string> owned(p);
  return std::move(*owned);
}
int32_t take(jx_int t) {
  delete t.text;
  return t.value;
}
double take(jx_real t) {
  delete t.text;
  return t.value;
}
template <class T>
std::unique_ptr<T> own(T* p) {
  return std::unique_ptr<T>(p);
}
}  // namespace
}

%union {
  jx_int integer;
  jx_real real;
  double coordinate;
  int number;
  bool flag;
  std::string* text;
  std::list<std::string>* texts;
  jx_typed_names* typed_names;
  DataExpr* data;
  std::list<DataExpr*>* datas;
  Expression* condition;
  Statement* statement;
  std::list<Signal*>* signals;
  jx_renamings* renamings;
  jx_pair pair;
  jx_pair* pair_option;
  std::vector<double>* geometry;
  Transition* transition;
  std::list<Transition*>* transitions;
  std::list<Equation*>* equations;
}

%token MODULE END DATA ENDDATA TYPE METHOD CONSTANT INPUT OUTPUT RUN_DECL REG_DECL ASSIGN
%token PARALLEL SEQUENCE NOTHING PAUSE HALT PRESENT IF ELSE LOOP LOCAL WAIT EMIT NOEMIT SUSTAIN
%token UNTIL WEAK STRONG ABORT WHEN RUN BACKSLASH
%token AUTOMATON STATE TRANSITION INIT FINAL GEOMETRY VALUE ARROW STRONGARROW WEAKARROW
%token NORMALTERMARROW MEALY_MACHINE
%token AND OR NOT ABS NAND NOR XOR FF TT
%token EQ_EG EQ_NEG EQ_INF EQ_INFE EQ_SUP EQ_SUPE
%token <integer> INT
%token <real> REAL
%token <text> STRING ID
/* precedence carriers only */
%token IDPLUS WITHOUTELSE UMINUS

%left PARALLEL
%left SEQUENCE
%precedence WITHOUTELSE
%precedence ELSE
%left '+' '-'
%left '*' '/'
%precedence UMINUS
%left EQ_EG EQ_NEG EQ_INF EQ_INFE EQ_SUP EQ_SUPE
%left OR NOR XOR
%left AND NAND
%precedence NOT ABS

%type <text> ident type_name constant_name module_name file_name method_name signal_name variable
%type <text> basic_value opt_type_decl opt_state
%type <texts> ident_list
%type <typed_names> valued_signal_name_list
%type <data> data_exp data_exp_not_basic const_expr method_call binary_func_call unary_func_call
%type <data> signal_value constant_value
%type <datas> data_exp_list
%type <condition> quadrival_exp quadrival_term quadrival_factor quadrival_signal trigger right_part
%type <statement> module_body instruction operator parallel sequence pause nothing halt present if_inst
%type <statement> loop instruction_automaton_mm local wait abort strongabort emit noemit sustain_until
%type <statement> run opt_run automaton mealy_machine
%type <signals> action valued_signal_list
%type <renamings> opt_renaming renaming_list renaming
%type <pair> real_pair
%type <coordinate> coordinate
%type <pair_option> pair_geometry trans_geometry
%type <geometry> opt_geometry
%type <number> tpe
%type <flag> opt_init opt_final
%type <transition> transition
%type <transitions> transition_def transition_list
%type <equations> equation_decl_list equation

%destructor { delete $$; } <text> <texts> <typed_names> <datas> <signals> <renamings>
%destructor { delete $$; } <pair_option> <geometry> <transitions> <equations>
%destructor { delete $$.text; } <integer> <real>

%start entry

%%

/* 1 */
entry
  : data_part module_list
  | module_list
  ;

/* 2 to 9: the data part */
data_part
  : DATA type_decl method_decl constant_decl ENDDATA
  ;

type_decl
  : %empty
  | TYPE { jx_new_type_table(); } type_name_list ';'
  ;

type_name_list
  : type_name { jx_type(take($1)); }
  | type_name_list ',' ident { jx_type(take($3)); }
  ;

method_decl
  : %empty
  | METHOD { jx_new_method_table(); } method_decl_list
  ;

method_decl_list
  : method
  | method_decl_list method
  ;

method
  : type_name method_name '(' ident_list ')' ';' { jx_method(take($1), take($2), own($4).get()); }
  | type_name method_name '(' ')' ';' { jx_method(take($1), take($2), nullptr); }
  ;

ident_list
  : ident { $$ = new std::list<std::string>(1, take($1)); }
  | ident_list ',' ident { $$ = $1; $$->push_back(take($3)); }
  ;

constant_decl
  : %empty
  | CONSTANT { jx_new_constant_table(); } ne_constant_decl_list
  ;

ne_constant_decl_list
  : constant
  | ne_constant_decl_list constant
  ;

constant
  : type_name constant_name ASSIGN constant_value ';' { jx_constant(take($1), take($2), $4); }
  | type_name constant_name ';' { jx_constant(take($1), take($2), nullptr); }
  | type_name basic_value ';' { jx_literal_constant(take($1), take($2)); }
  ;

constant_value
  : %empty { $$ = nullptr; }
  | data_exp_not_basic
  | basic_value { $$ = jx_literal_value(take($1)); }
  ;

basic_value
  : INT { $$ = $1.text; }
  | REAL { $$ = $1.text; }
  | STRING
  ;

type_name : ident ;
constant_name : ident ;

/* 10 to 16: modules */
module_list
  : program
  | module_list program
  ;

program
  : MODULE module_name ':' { jx_module_header(*$2); } module_interface module_body { jx_module_body($6); } END
    { jx_module_end(); delete $2; }
  ;

module_interface
  : input_signal_list output_signal_list run_decl_list
  ;

input_signal_list
  : %empty
  | INPUT ne_input_signal_list ';'
  ;

ne_input_signal_list
  : input_signal
  | ne_input_signal_list ',' input_signal
  ;

input_signal
  : signal_name opt_type_decl { jx_input(take($1), take($2)); }
  ;

output_signal_list
  : %empty
  | OUTPUT ne_output_signal_list ';'
  ;

ne_output_signal_list
  : output_signal
  | ne_output_signal_list ',' output_signal
  ;

output_signal
  : signal_name opt_type_decl { jx_output(take($1), take($2)); }
  ;

opt_type_decl
  : %empty { $$ = new std::string(); }
  | ':' ident { $$ = $2; }
  ;

run_decl_list
  : %empty
  | RUN_DECL ne_run_decl_list ';'
  ;

ne_run_decl_list
  : run_decl
  | ne_run_decl_list ';' run_decl
  ;

run_decl
  : STRING ':' module_name { jx_run_decl(take($1), take($3)); }
  | STRING ':' file_name ':' module_name { jx_run_decl(take($1), take($3), take($5)); }
  ;

file_name : ident ;
module_name : ident ;

/* 17 to 31: statements */
module_body
  : instruction
  | automaton
  | mealy_machine
  | %empty { $$ = nullptr; }
  ;

instruction
  : operator
  | parallel
  | sequence
  | '{' instruction '}' { $$ = $2; }
  ;

operator
  : present | if_inst | loop | sustain_until | wait | emit | noemit | abort | strongabort | nothing
  | pause | halt | local | run
  ;

parallel
  : instruction PARALLEL instruction { $$ = jx_parallel($1, $3); }
  ;

sequence
  : instruction SEQUENCE instruction { $$ = jx_sequence($1, $3); }
  ;

pause : PAUSE { $$ = jx_pause(); } ;
nothing : NOTHING { $$ = jx_nothing(); } ;
halt : HALT { $$ = jx_halt(); } ;

present
  : PRESENT quadrival_exp instruction ELSE instruction { $$ = jx_present($2, $3, $5); }
  | PRESENT quadrival_exp instruction %prec WITHOUTELSE { $$ = jx_present($2, $3, nullptr); }
  ;

if_inst
  : IF data_exp instruction ELSE instruction { $$ = jx_if($2, $3, $5); }
  | IF data_exp instruction %prec WITHOUTELSE { $$ = jx_if($2, $3, nullptr); }
  ;

loop
  : LOOP { $<number>$ = jx_line(); } '{' instruction '}' { $$ = jx_loop($4, $<number>2); }
  ;

instruction_automaton_mm
  : instruction
  | automaton
  | mealy_machine
  ;

local
  : LOCAL valued_signal_name_list { jx_local_open(*$2); } '{' instruction_automaton_mm '}'
    { delete $2; $$ = jx_local_close($5); }
  ;

valued_signal_name_list
  : signal_name opt_type_decl { $$ = new jx_typed_names{std::make_pair(take($1), take($2))}; }
  | valued_signal_name_list ',' signal_name opt_type_decl { $$ = $1; $$->emplace_back(take($3), take($4)); }
  ;

wait
  : WAIT quadrival_exp { $$ = jx_wait($2); }
  | WAIT INT quadrival_exp { $$ = jx_wait_count(take($2), $3); }
  ;

abort
  : WEAK ABORT '{' instruction '}' WHEN quadrival_exp { $$ = jx_abort($4, $7); }
  ;

strongabort
  : STRONG ABORT '{' instruction '}' WHEN quadrival_exp { $$ = jx_strong_abort($4, $7); }
  ;

emit
  : EMIT signal_name { $$ = jx_emit(take($2), nullptr); }
  | EMIT signal_name '(' data_exp ')' { $$ = jx_emit(take($2), $4); }
  ;

noemit
  : NOEMIT signal_name { $$ = jx_noemit(take($2)); }
  ;

sustain_until
  : SUSTAIN signal_name UNTIL quadrival_exp { $$ = jx_sustain(take($2), nullptr, $4); }
  | SUSTAIN signal_name '(' data_exp ')' UNTIL quadrival_exp { $$ = jx_sustain(take($2), $4, $7); }
  ;

run
  : RUN ID { $<number>$ = jx_line(); } opt_renaming { $$ = jx_run(take($2), own($4).get(), $<number>3); }
  ;

opt_renaming
  : %empty { $$ = nullptr; }
  | '[' renaming_list ']' { $$ = $2; }
  ;

renaming_list
  : renaming
  | renaming_list ',' renaming { $$ = $1; $$->splice($$->end(), *own($3)); }
  ;

renaming
  : signal_name BACKSLASH signal_name { $$ = new jx_renamings{jx_renaming(take($1), take($3))}; }
  ;

/* 32 to 43: automata */
automaton
  : AUTOMATON { jx_automaton_open(); } aut_geometry state_list transition_def { $$ = jx_automaton(own($5).get()); }
  ;

aut_geometry
  : pair_geometry { delete $1; }
  ;

pair_geometry
  : %empty { $$ = nullptr; }
  | GEOMETRY real_pair { $$ = new jx_pair($2); }
  ;

real_pair
  : EQ_INF coordinate ',' coordinate EQ_SUP { $$ = jx_pair{$2, $4}; }
  ;

coordinate
  : REAL { $$ = take($1); }
  | INT { $$ = take($1); }
  ;

state_list
  : state
  | state_list state
  ;

state
  : STATE ID opt_final opt_run action opt_geometry ';' { jx_state(take($2), $3, $4, own($5).get(), own($6).get()); }
  ;

opt_geometry
  : %empty { $$ = nullptr; }
  | GEOMETRY real_pair REAL { $$ = new std::vector<double>{$2.x, $2.y, take($3)}; }
  ;

opt_run
  : %empty { $$ = nullptr; }
  | run
  ;

transition_def
  : TRANSITION transition_list { $$ = $2; }
  ;

transition_list
  : transition { $$ = new std::list<Transition*>(1, $1); }
  | transition_list transition { $$ = $1; $$->push_back($2); }
  ;

transition
  : opt_init opt_final opt_state trigger action tpe opt_state trans_geometry ';'
    { $$ = jx_transition($1, $2, own($3).get(), $4, own($5).get(), $6, own($7).get(), own($8).get()); }
  ;

opt_state
  : %empty { $$ = nullptr; }
  | ID
  ;

opt_init
  : %empty { $$ = false; }
  | INIT { $$ = true; }
  ;

opt_final
  : %empty { $$ = false; }
  | FINAL { $$ = true; }
  ;

tpe
  : %empty { $$ = 1; }
  | ARROW { $$ = 1; }
  | STRONGARROW { $$ = 1; }
  | WEAKARROW { $$ = 2; }
  | NORMALTERMARROW { $$ = 3; }
  ;

trigger
  : %empty { $$ = jx_condition_true(); }
  | '[' ']' { $$ = jx_condition_true(); }
  | '[' quadrival_exp ']' { $$ = $2; }
  | '[' VALUE data_exp ']' { $$ = jx_value_trigger($3); }
  ;

action
  : %empty { $$ = nullptr; }
  | '/' valued_signal_list { $$ = $2; }
  ;

quadrival_exp
  : quadrival_exp OR quadrival_term { $$ = jx_condition(JX_OR, $1, $3); }
  | quadrival_term
  ;

quadrival_term
  : quadrival_term AND quadrival_factor { $$ = jx_condition(JX_AND, $1, $3); }
  | quadrival_factor
  ;

quadrival_factor
  : '(' quadrival_exp ')' { $$ = $2; }
  | NOT quadrival_factor { $$ = jx_condition(JX_NOT, $2, nullptr); }
  | ABS quadrival_factor { $$ = jx_condition(JX_ABS, $2, nullptr); }
  | quadrival_signal
  | '~' { $$ = jx_condition_bottom(); }
  | FF { $$ = jx_condition_false(); }
  | TT { $$ = jx_condition_true(); }
  ;

quadrival_signal
  : signal_name { $$ = jx_condition_signal(take($1)); }
  ;

trans_geometry : pair_geometry ;

valued_signal_list
  : signal_name { $$ = jx_emission(nullptr, take($1), nullptr); }
  | signal_name '(' data_exp ')' { $$ = jx_emission(nullptr, take($1), $3); }
  | valued_signal_list ',' signal_name { $$ = jx_emission($1, take($3), nullptr); }
  | valued_signal_list ',' signal_name '(' data_exp ')' { $$ = jx_emission($1, take($3), $5); }
  ;

signal_name : ident ;
ident : ID ;

/* 45 to 47: Mealy machines */
mealy_machine
  : MEALY_MACHINE register_decl_list equation_decl_list { $$ = jx_mealy_machine(own($3).get()); }
  ;

register_decl_list
  : %empty
  | REG_DECL ne_register_list ';'
  ;

ne_register_list
  : reg
  | ne_register_list ',' reg
  ;

reg
  : ident ':' INT ':' ident { jx_register_decl(take($1), take($3), take($5)); }
  ;

equation_decl_list
  : equation ';'
  | equation_decl_list equation ';' { $$ = $1; $$->splice($$->end(), *own($2)); }
  ;

equation
  : variable '=' right_part { $$ = jx_equation(take($1), nullptr, $3); }
  | variable '(' data_exp ')' '=' right_part { $$ = jx_equation(take($1), $3, $6); }
  ;

variable : ident ;

right_part
  : ident { $$ = jx_right_name(take($1)); }
  | right_part AND right_part { $$ = jx_right_part(JX_AND, $1, $3); }
  | right_part OR right_part { $$ = jx_right_part(JX_OR, $1, $3); }
  | right_part NOR right_part { $$ = jx_right_part(JX_NOR, $1, $3); }
  | right_part XOR right_part { $$ = jx_right_part(JX_XOR, $1, $3); }
  | right_part NAND right_part { $$ = jx_right_part(JX_NAND, $1, $3); }
  | NOT right_part { $$ = jx_right_part(JX_NOT, $2, nullptr); }
  | ABS right_part { $$ = jx_right_part(JX_ABS, $2, nullptr); }
  | INT { $$ = jx_right_constant(take($1)); }
  | '(' right_part ')' { $$ = $2; }
  ;

/* 48 to 50: data expressions */
data_exp
  : data_exp_not_basic
  | basic_value { $$ = jx_literal_reference(take($1)); }
  | '(' data_exp ')' { $$ = $2; }
  ;

data_exp_not_basic
  : const_expr
  | method_call
  | binary_func_call
  | unary_func_call
  | signal_value
  ;

const_expr
  : ident { $$ = jx_constant_reference(take($1)); }
  ;

method_call
  : method_name '(' data_exp_list ')' { $$ = jx_method_call(take($1), $3); }
  | method_name '(' ')' { $$ = jx_method_call(take($1), nullptr); }
  ;

method_name
  : ident
  | method_name '.' ident { $$ = $1; $$->append(".").append(take($3)); }
  ;

data_exp_list
  : data_exp { $$ = new std::list<DataExpr*>(1, $1); }
  | data_exp_list ',' data_exp { $$ = $1; $$->push_back($3); }
  ;

binary_func_call
  : data_exp '+' data_exp { $$ = jx_binary(DataExpr::Plus, $1, $3); }
  | data_exp '-' data_exp { $$ = jx_binary(DataExpr::Minus, $1, $3); }
  | data_exp '*' data_exp { $$ = jx_binary(DataExpr::Mult, $1, $3); }
  | data_exp '/' data_exp { $$ = jx_binary(DataExpr::Div, $1, $3); }
  | data_exp AND data_exp { $$ = jx_binary(DataExpr::And, $1, $3); }
  | data_exp OR data_exp { $$ = jx_binary(DataExpr::Or, $1, $3); }
  | data_exp EQ_EG data_exp { $$ = jx_binary(DataExpr::Eq, $1, $3); }
  | data_exp EQ_NEG data_exp { $$ = jx_binary(DataExpr::Neq, $1, $3); }
  | data_exp EQ_INF data_exp { $$ = jx_binary(DataExpr::Inf, $1, $3); }
  | data_exp EQ_INFE data_exp { $$ = jx_binary(DataExpr::Infe, $1, $3); }
  | data_exp EQ_SUP data_exp { $$ = jx_binary(DataExpr::Sup, $1, $3); }
  | data_exp EQ_SUPE data_exp { $$ = jx_binary(DataExpr::Supe, $1, $3); }
  ;

unary_func_call
  : '-' data_exp %prec UMINUS { $$ = jx_unary(DataExpr::Uminus, $2); }
  | NOT data_exp { $$ = jx_unary(DataExpr::Not, $2); }
  ;

signal_value
  : '#' signal_name { $$ = jx_signal_value(take($2)); }
  ;

%%
