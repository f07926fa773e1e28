/* Boolean expressions with an optional priority: [< value >] expression.
   or, xor and xnor bind weakest (left associative), then and, then not. */
%code requires {
#include "parse_exp_bdd.h"
}

%define api.prefix {exp_bdd}
%define api.value.type {struct exp_bdd_value}
%define parse.error verbose

%code {
#include <iostream>
#include "Stringpp.h"

#define YYMAXDEPTH 10000
#define P pexp_bdd_parser
#define M pexp_bdd_parser->manager
#define VAL(i) pexp_bdd_parser->values[(i)]
}

%token EXP_BDDEOF 0 "$end"
%token TOKEN_OR 258
%token TOKEN_AND 259
%token TOKEN_XOR 260
%token TOKEN_XNOR 261
%token TOKEN_IMPL 262
%token TOKEN_FNOT 263
%token TOKEN_NOT 264
%token TOKEN_PAR_OUVRANTE 265
%token TOKEN_PAR_FERMANTE 266
%token TOKEN_INF 267
%token TOKEN_SUP 268
%token TOKEN_STRING 269
%token TOKEN_ZERO 270
%token TOKEN_ONE 271

%start bdd_final

%%

bdd_final
  : bdd_expression_gen { P->result = VAL($1.index); }
  ;

bdd_expression_gen
  : priorite bdd_expression { P->priority = $1.ival; $$.index = $2.index; }
  ;

priorite
  : %empty { $$.ival = 0; }
  | TOKEN_INF valeur TOKEN_SUP { $$.ival = $2.ival; }
  ;

valeur
  : TOKEN_ZERO {
      std::cerr << "parsing error in expression: \"0\" is not a correct priority value ..." << std::endl;
      YYABORT;
    }
  | TOKEN_ONE { $$.ival = 1; }
  | TOKEN_STRING {
      const std::string& text = P->texts[$1.index];
      if (text == "default" || text == "other") {
        $$.ival = -1;
      } else if (checkuint(text)) {
        $$.ival = static_cast<int>(Stol(text));
      } else {
        std::cerr << "parsing error in expression: name \"" << text << "\" is not a correct priority value ..."
                  << std::endl;
        YYABORT;
      }
    }
  ;

bdd_expression
  : bdd_expression TOKEN_OR bdd_terme { $$.index = P->keep(M->Bdd_or(VAL($1.index), VAL($3.index))); }
  | bdd_expression TOKEN_XOR bdd_terme { $$.index = P->keep(M->Bdd_xor(VAL($1.index), VAL($3.index))); }
  | bdd_expression TOKEN_XNOR bdd_terme { $$.index = P->keep(M->Bdd_xnor(VAL($1.index), VAL($3.index))); }
  | bdd_terme { $$.index = $1.index; }
  ;

bdd_terme
  : bdd_terme TOKEN_AND bdd_facteur { $$.index = P->keep(M->Bdd_and(VAL($1.index), VAL($3.index))); }
  | bdd_facteur TOKEN_IMPL bdd_facteur { $$.index = P->keep(M->Bdd_reduce(VAL($1.index), VAL($3.index))); }
  | bdd_facteur { $$.index = $1.index; }
  ;

bdd_facteur
  : TOKEN_PAR_OUVRANTE bdd_expression TOKEN_PAR_FERMANTE { $$.index = $2.index; }
  | TOKEN_NOT bdd_facteur { $$.index = P->keep(M->Bdd_not(VAL($2.index))); }
  | bdd_variable { $$.index = $1.index; }
  | TOKEN_ZERO { $$.index = P->keep(M->Bdd_zero()); }
  | TOKEN_ONE { $$.index = P->keep(M->Bdd_one()); }
  ;

bdd_variable
  : TOKEN_STRING {
      const std::string& name = P->texts[$1.index];
      if (M->Index_var_by_name(name) == -1) {
        std::cerr << "parsing error in expression: name \"" << name << "\" not identificated ..." << std::endl;
        YYABORT;
      }
      $$.index = P->keep(M->Bdd_var_by_name(name));
    }
  ;

%%

// Scanner: the next blank-separated token of the driver's remaining text.
int exp_bddlex() {
  class_exp_bdd_parser* p = pexp_bdd_parser;
  std::string rest;
  p->token = next_Stringtoken(p->input, ' ', &rest);
  p->input = rest;
  const std::string& t = p->token;
  if (t.empty()) return EXP_BDDEOF;
  if (t == "or" || t == "OR" || t == "+" || t == "|") return TOKEN_OR;
  if (t == "and" || t == "AND" || t == "." || t == "&") return TOKEN_AND;
  if (t == "xor" || t == "XOR") return TOKEN_XOR;
  if (t == "xnor" || t == "XNOR") return TOKEN_XNOR;
  if (t == "not" || t == "NOT" || t == "!" || t == "~") return TOKEN_NOT;
  if (t == "(" || t == "[") return TOKEN_PAR_OUVRANTE;
  if (t == ")" || t == "]") return TOKEN_PAR_FERMANTE;
  if (t == "<") return TOKEN_INF;
  if (t == ">") return TOKEN_SUP;
  if (t == "0") return TOKEN_ZERO;
  if (t == "1") return TOKEN_ONE;
  exp_bddlval.index = p->keep_text(t);
  return TOKEN_STRING;
}

void exp_bdderror(const char* message) { std::cerr << message << std::endl; }
