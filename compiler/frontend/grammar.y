/* The grammar of Kavo C: C with fixed-address declarations ("@") and asm( ... ) / rasm( ... )
   blocks of SX assembly. It builds no tree: each action joins the fragments of its symbols,
   with marker nodes around the stretches later passes cut out, and each complete external
   declaration goes onto the run's node list.

   A comment above a long action lists the nodes it produces, in order: upper case is a marker
   or token node of that kind, lower case the fragment of that symbol of the rule (with $k when
   the name repeats), copy(x) and ident(x) copy x's first node or identifier, KIND(l1) is label
   l1 copied as that kind. */

%require "3.8"
%define api.pure full
%define api.prefix {kavoparse}
%define api.token.prefix {TOK_}
%define api.value.type {kavo::frontend::StackValue}
%parse-param {kavo::frontend::FrontEnd& fe} {kavo::frontend::FragmentBuilder& b}
%lex-param {kavo::frontend::FrontEnd& fe}

/* The dangling else: "if (a) if (b) s1; else s2;" can attach the else to either if. The shift
   the generator takes by default binds it to the nearest if, as C requires. This is the only
   conflict; a new one fails the build. */
%expect 1

%code requires {
#include "compiler/frontend/fragment.hpp"
namespace kavo::frontend {
class FrontEnd;
}
}

%code {
#include "compiler/base/kinds.hpp"
#include "compiler/frontend/front_end.hpp"

using namespace kavo;
using kavo::frontend::StackValue;

namespace {

int kavoparselex(StackValue* value, kavo::frontend::FrontEnd& fe) { return fe.nextToken(*value); }

void kavoparseerror(kavo::frontend::FrontEnd& fe, kavo::frontend::FragmentBuilder&,
                    const char* message) {
    fe.syntaxError(message);
}

// The bit move names its two bit operands without the separators the other bit forms carry.
bool isMovb(const StackValue& mnemonic) {
    return mnemonic.token->cval == "movb" || mnemonic.token->cval == "MOVB";
}

} // namespace

// The value and state stacks start at YYINITDEPTH entries and grow by the same amount
// whenever they are full; FrontEnd owns the grown storage.
#define YYINITDEPTH 150
#define yyoverflow(message, states, statesBytes, values, valuesBytes, size) \
    growParserStacks(fe, states, values, size)

namespace {

template <typename State>
void growParserStacks(kavo::frontend::FrontEnd& fe, State** states, StackValue** values,
                      std::ptrdiff_t* size) {
    void* raw = *states;
    fe.growStacks(&raw, sizeof(State), values, size);
    *states = static_cast<State*>(raw);
}

} // namespace
}

%token AUTO 257 REGISTER 258 STATIC 259 EXTERN 260 TYPEDEF 261 VOID 262 CHAR 263 SHORT 264
%token INT 265 LONG 266 FLOAT 267 DOUBLE 268 SIGNED 269 UNSIGNED 270 CONST 271 VOLATILE 272
%token STRUCT 273 UNION 274 SEMICOL 275 COLON 276 COMMA 277 LSQUIG 278 RSQUIG 279 LPAREN 280
%token RPAREN 281 LBRA 282 RBRA 283 CASE 284 DEFAULT 285 IF 286 ELSE 288 SWITCH 289 WHILE 290
%token DO 291 FOR 292 GOTO 293 CONTINUE 294 BREAK 295 RETURN 296 ASSIGN 298 STAREQ 299 DIVEQ 300
%token MODEQ 301 PLUSEQ 302 MINUSEQ 303 SHIFTLEQ 304 SHIFTREQ 305 ANDEQ 306 EXOREQ 307 OREQ 308
%token BIGGERTHAN 310 LESSEQ 311 BIGGEREQ 312 INCR 313 DECR 314 QUESTION 315 LOR 316 LAND 317
%token OR 318 EXOR 319 AND 320 LEQUALS 321 LNOTEQ 322 LESSTHAN 323 SHIFTR 325 SHIFTL 326
%token STAR 328 PLUS 329 MINUS 330 DIV 332 MOD 333 SIZEOF 337 TILDE 338 BANG 339 ASMBANG 340
%token AT 341 ASMDOT 342 DOT 343 POINTERSYM 346 ENUM 347 ASMEQU 348 ASMMACRO3 350 ASMAT 355
%token ELIPSIS 356 INTEGER_CONSTANT 361 CHARACTER_CONSTANT 362 FLOATING_CONSTANT 363
%token ENUMERATION_CONSTANT 364 STRING 365 IDENTIFIER 367 TYPEDEFNAME 370 COMMENT_START 439
%token COMMENT_END 440 COMMENT_BODY 441 RASM 442 ASM 443 ASMINST 448 ASMLABEL 449 ASMJMPINST 452
%token DOLLARSIGN 454
%start translation_unit

%%

translation_unit
    : comment                                   { $$ = $1; }
    | external_declaration
        { b.toNodeList(__LINE__, $1); fe.declarationDone(); $$ = $1; }
    | translation_unit external_declaration
        { b.toNodeList(__LINE__, $2); fe.declarationDone(); $$ = $1; }
    ;

external_declaration
    : function_definition       { $$ = b.join(__LINE__, $1, {b.mark(NULLFUNC)}); }
    | declaration               { $$ = $1; }
    ;

function_definition
    : declarator compound_statement
        /* FUNCSTART SCOPENAME ident(declarator) DEC_LIST_START INT FUNCNAME declarator
           DEC_LIST_END SCOPENAME ident(declarator) compound_statement FUNCEND */
        { $$ = b.join(__LINE__, b.mark(FUNCSTART), {
              b.mark(SCOPENAME),
              b.ident($1),
              b.mark(DEC_LIST_START),
              b.mark(INT),
              b.mark(FUNCNAME),
              b.definedFunction($1),
              b.mark(DEC_LIST_END),
              b.mark(SCOPENAME),
              b.ident($1),
              b.functionBody($2),
              b.mark(FUNCEND)
          }); }
    | declaration_specifiers declarator compound_statement
        /* FUNCSTART SCOPENAME ident(declarator) DEC_LIST_START declaration_specifiers FUNCNAME
           declarator DEC_LIST_END SCOPENAME ident(declarator) compound_statement FUNCEND */
        { $$ = b.join(__LINE__, b.mark(FUNCSTART), {
              b.mark(SCOPENAME),
              b.ident($2),
              b.mark(DEC_LIST_START),
              $1,
              b.mark(FUNCNAME),
              b.definedFunction($2),
              b.mark(DEC_LIST_END),
              b.mark(SCOPENAME),
              b.ident($2),
              b.functionBody($3),
              b.mark(FUNCEND)
          }); }
    | declarator declaration_list compound_statement
        /* FUNCSTART SCOPENAME ident(declarator) DEC_LIST_START INT FUNCNAME declarator
           DEC_LIST_END SCOPENAME ident(declarator) declaration_list FUNCARGS copy(declarator)
           compound_statement FUNCEND */
        { $$ = b.join(__LINE__, b.mark(FUNCSTART), {
              b.mark(SCOPENAME),
              b.ident($1),
              b.mark(DEC_LIST_START),
              b.mark(INT),
              b.mark(FUNCNAME),
              $1,
              b.mark(DEC_LIST_END),
              b.mark(SCOPENAME),
              b.ident($1),
              $2,
              b.mark(FUNCARGS),
              b.copy($1),
              b.functionBody($3),
              b.mark(FUNCEND)
          }); }
    | declaration_specifiers declarator declaration_list compound_statement
        /* FUNCSTART SCOPENAME ident(declarator) DEC_LIST_START declaration_specifiers FUNCNAME
           declarator DEC_LIST_END SCOPENAME ident(declarator) declaration_list FUNCARGS
           copy(declarator) compound_statement FUNCEND */
        { $$ = b.join(__LINE__, b.mark(FUNCSTART), {
              b.mark(SCOPENAME),
              b.ident($2),
              b.mark(DEC_LIST_START),
              $1,
              b.mark(FUNCNAME),
              $2,
              b.mark(DEC_LIST_END),
              b.mark(SCOPENAME),
              b.ident($2),
              $3,
              b.mark(FUNCARGS),
              b.copy($2),
              b.functionBody($4),
              b.mark(FUNCEND)
          }); }
    ;

/* A typedef declares no object: its names become types (FrontEnd::typedefDeclaration). */
declaration
    : declaration_specifiers SEMICOL
        { $$ = fe.typeNames().typedefPending()
                   ? fe.typedefDeclaration(b, $1)
                   : b.join(__LINE__, b.mark(DEC_LIST_START), {$1, b.mark(DEC_LIST_END)});
          fe.ordinaryDeclaration(); }
    | declaration_specifiers init_declarator_list AT constant_expression SEMICOL
        /* DEC_LIST_START EXPSTART constant_expression EXPEND DEC_LIST_START FORCED_MEM_LOC
           declaration_specifiers init_declarator_list FORCED_MEM_LOC_END DEC_LIST_END
           DEC_LIST_END */
        { $$ = b.join(__LINE__, b.mark(DEC_LIST_START), {
              b.mark(EXPSTART),
              $4,
              b.mark(EXPEND),
              b.mark(DEC_LIST_START),
              b.mark(FORCED_MEM_LOC),
              fe.carrySpecifiers(b, $1, &$4),
              $2,
              b.mark(FORCED_MEM_LOC_END),
              b.mark(DEC_LIST_END),
              b.mark(DEC_LIST_END)
          });
          if (fe.typeNames().typedefPending())
              fe.unsupported($3.token->line, "a typedef at a fixed address (@)");
          fe.ordinaryDeclaration(); }
    | declaration_specifiers init_declarator_list SEMICOL
        { $$ = fe.typeNames().typedefPending()
                   ? fe.typedefDeclaration(b, $1)
                   : b.join(__LINE__, b.mark(DEC_LIST_START), {
                         fe.carrySpecifiers(b, $1), $2, b.mark(DEC_LIST_END)});
          fe.ordinaryDeclaration(); }
    ;

declaration_list
    : declaration                       { $$ = $1; }
    | declaration_list declaration      { $$ = b.join(__LINE__, $1, {$2}); }
    ;

declaration_specifiers
    : storage_class_specifier                           { $$ = $1; }
    | storage_class_specifier declaration_specifiers    { $$ = b.join(__LINE__, $1, {$2}); }
    | type_specifier declaration_specifiers             { $$ = b.join(__LINE__, $1, {$2}); }
    | type_specifier                                    { $$ = $1; }
    | type_qualifier declaration_specifiers             { $$ = b.join(__LINE__, $1, {$2}); }
    | type_qualifier                                    { $$ = $1; }
    ;

storage_class_specifier
    : AUTO          { $$ = b.token($1); }
    | REGISTER      { $$ = b.token($1); }
    | STATIC        { $$ = b.token($1); }
    | EXTERN        { $$ = b.token($1); }
    | TYPEDEF       { fe.typeNames().typedefSeen(); $$ = b.token($1); }
    ;

type_specifier
    : VOID                          { $$ = b.token($1); }
    | CHAR                          { $$ = b.token($1); }
    | SHORT                         { $$ = b.token($1); }
    | INT                           { $$ = b.token($1); }
    | LONG                          { $$ = b.token($1); }
    | FLOAT                         { $$ = b.token($1); }
    | DOUBLE                        { $$ = b.token($1); }
    | SIGNED                        { $$ = b.token($1); }
    | UNSIGNED                      { $$ = b.token($1); }
    | struct_or_union_specifier     { $$ = $1; }
    | enum_specifier                { $$ = $1; }
    | TYPEDEFNAME                   { $$ = fe.typedefUse(b, $1); }
    ;

type_qualifier
    : CONST         { $$ = b.mark(CONST); }
    | VOLATILE      { $$ = b.token($1); }
    ;

struct_or_union_specifier
    : struct_or_union LSQUIG struct_declaration_list RSQUIG
        /* struct_or_union STRUCT_NAME IDENTIFIER(l1) STRUCT_DEC_START struct_declaration_list
           STRUCT_DEC_END DEC_LIST_END DEC_LIST_START STRUCT_TYPE IDENTIFIER(l1)
           copy(struct_or_union) */
        { const StackValue l1 = b.label();
          $$ = b.join(__LINE__, $1, {
              b.mark(STRUCT_NAME),
              b.copyAs(l1, IDENTIFIER),
              b.mark(STRUCT_DEC_START),
              $3,
              b.mark(STRUCT_DEC_END),
              b.mark(DEC_LIST_END),
              b.mark(DEC_LIST_START),
              b.mark(STRUCT_TYPE),
              b.copyAs(l1, IDENTIFIER),
              b.copy($1)
          }); }
    | struct_or_union identifier LSQUIG struct_declaration_list RSQUIG
        /* struct_or_union STRUCT_NAME identifier STRUCT_DEC_START struct_declaration_list
           STRUCT_DEC_END DEC_LIST_END DEC_LIST_START STRUCT_TYPE copy(identifier)
           copy(struct_or_union) */
        { $$ = b.join(__LINE__, $1, {
              b.mark(STRUCT_NAME),
              $2,
              b.mark(STRUCT_DEC_START),
              $4,
              b.mark(STRUCT_DEC_END),
              b.mark(DEC_LIST_END),
              b.mark(DEC_LIST_START),
              b.mark(STRUCT_TYPE),
              b.copy($2),
              b.copy($1)
          }); }
    | struct_or_union identifier
        { $$ = b.join(__LINE__, b.mark(STRUCT_TYPE), {$2, $1}); }
    ;

struct_or_union
    : STRUCT        { $$ = b.token($1); }
    | UNION         { $$ = b.token($1); }
    ;

struct_declaration_list
    : struct_declaration                            { $$ = $1; }
    | struct_declaration_list struct_declaration    { $$ = b.join(__LINE__, $1, {$2}); }
    ;

init_declarator_list
    : init_declarator                               { $$ = $1; }
    | init_declarator_list COMMA init_declarator    { $$ = b.join(__LINE__, $1, {$3}); }
    ;

init_declarator
    : declarator                        { fe.typeNames().declarator($1); $$ = $1; }
    | declarator ASSIGN initializer
        /* declarator EXPSTART initializer ASSIGN name(declarator) EXPEND: the declared name,
           also when the declarator starts with an array size or a pointer mark */
        { fe.typeNames().declarator($1);
          if (fe.typeNames().typedefPending())
              fe.unsupported($2.token->line, "an initialiser on a typedef");
          $$ = b.join(__LINE__, $1, {
              b.mark(EXPSTART),
              $3,
              b.token($2),
              b.declaredName($1),
              b.mark(EXPEND)
          }); }
    ;

struct_declaration
    : specifier_qualifier_list struct_declarator_list SEMICOL   { $$ = b.join(__LINE__, $1, {$2}); }
    | specifier_qualifier_list SEMICOL                          { $$ = b.anonymousMember($1); }
    ;

specifier_qualifier_list
    : type_specifier                                { $$ = $1; }
    | type_specifier specifier_qualifier_list       { $$ = b.join(__LINE__, $1, {$2}); }
    | type_qualifier                                { $$ = $1; }
    | type_qualifier specifier_qualifier_list       { $$ = b.join(__LINE__, $1, {$2}); }
    ;

struct_declarator_list
    : struct_declarator                                 { $$ = $1; }
    | struct_declarator_list COMMA struct_declarator    { $$ = b.join(__LINE__, $1, {$3}); }
    ;

/* A bit-field: EXPSTART width EXPEND BIT_FIELD declarator, and an unnamed one pads with a
   member of a name no program can write. */
struct_declarator
    : declarator                                { $$ = $1; }
    | COLON constant_expression                 { $$ = fe.bitField(b, $2, nullptr); }
    | declarator COLON constant_expression      { $$ = fe.bitField(b, $3, &$1); }
    ;

enum_specifier
    : ENUM LSQUIG enumerator_list RSQUIG
        { $$ = b.join(__LINE__, b.mark(ENUMSTART), {$3, b.mark(ENUMEND)}); }
    | ENUM identifier LSQUIG enumerator_list RSQUIG
        { $$ = b.join(__LINE__, b.mark(ENUMSTART), {$4, b.mark(ENUMEND)}); }
    | ENUM LSQUIG enumerator_list COMMA RSQUIG
        { $$ = b.join(__LINE__, b.mark(ENUMSTART), {$3, b.mark(ENUMEND)}); }
    | ENUM identifier LSQUIG enumerator_list COMMA RSQUIG
        { $$ = b.join(__LINE__, b.mark(ENUMSTART), {$4, b.mark(ENUMEND)}); }
    | ENUM identifier
        /* an enumeration's objects are ints */
        { $$ = b.mark(INT); }
    ;

enumerator_list
    : enumerator                            { $$ = $1; }
    | enumerator_list COMMA enumerator      { $$ = b.join(__LINE__, $1, {$3}); }
    ;

enumerator
    : identifier                            { $$ = $1; }
    | identifier ASSIGN constant_expression
        /* EXPSTART constant_expression EXPEND ENUM_INIT_VAL identifier ENUM_INIT_VAL_END */
        { $$ = b.join(__LINE__, b.mark(EXPSTART), {
              $3,
              b.mark(EXPEND),
              b.mark(ENUM_INIT_VAL),
              $1,
              b.mark(ENUM_INIT_VAL_END)
          }); }
    ;

declarator
    : direct_declarator             { $$ = $1; }
    | pointer direct_declarator     { $$ = b.join(__LINE__, $1, {$2}); }
    ;

direct_declarator
    : identifier                                { $$ = $1; }
    | LPAREN declarator RPAREN                  { $$ = fe.parenthesisedDeclarator($2); }
    | direct_declarator LBRA RBRA
        /* LBRA direct_declarator: an array whose size its initialiser gives */
        { $$ = b.join(__LINE__, b.token($2), {$1}); }
    | direct_declarator LBRA constant_expression RBRA
        { $$ = b.join(__LINE__, b.mark(EXPSTART), {$3, b.mark(EXPEND), b.mark(ARRAY_SIZE), $1}); }
    | direct_declarator LPAREN parameter_type_list RPAREN
        /* direct_declarator FUNC_PROTO_START copy(parameter_type_list) FUNC_PROTO_END
           DEC_LIST_START parameter_type_list DEC_LIST_END */
        { fe.refusePointerDerivation(b, $1, "function");
          $$ = b.join(__LINE__, $1, {
              b.mark(FUNC_PROTO_START),
              b.copy($3),
              b.mark(FUNC_PROTO_END),
              b.mark(DEC_LIST_START),
              $3,
              b.mark(DEC_LIST_END)
          }); }
    | direct_declarator LPAREN RPAREN
        /* direct_declarator FUNC_PROTO_START FUNC_PROTO_END: the parameters are not said */
        { fe.refusePointerDerivation(b, $1, "function");
          $$ = b.join(__LINE__, $1, {b.mark(FUNC_PROTO_START), b.mark(FUNC_PROTO_END)}); }
    | direct_declarator LPAREN identifier_list RPAREN
        { fe.refusePointerDerivation(b, $1, "function");
          $$ = b.join(__LINE__, $1, {b.mark(FUNC_PROTO_START), $3, b.mark(FUNC_PROTO_END)}); }
    ;

pointer
    : STAR                                  { $$ = b.mark(POINTER); }
    | STAR type_qualifier_list              { $$ = b.join(__LINE__, b.mark(POINTER), {$2}); }
    | STAR pointer                          { $$ = b.join(__LINE__, b.mark(POINTER), {$2}); }
    | STAR type_qualifier_list pointer      { $$ = b.join(__LINE__, b.mark(POINTER), {$2, $3}); }
    ;

type_qualifier_list
    : type_qualifier                        { $$ = $1; }
    | type_qualifier_list type_qualifier    { $$ = b.join(__LINE__, $1, {$2}); }
    ;

parameter_type_list
    : parameter_list                        { $$ = $1; }
    | parameter_list COMMA ELIPSIS          { $$ = $1; }
    ;

parameter_list
    : pparameter_declaration                        { $$ = $1; }
    | parameter_list COMMA pparameter_declaration
        /* the comma stays: it separates parameters whose declarations name no identifier */
        { $$ = b.join(__LINE__, $1, {b.token($2), $3}); }
    ;

pparameter_declaration
    : declaration_specifiers declarator             { $$ = b.join(__LINE__, $1, {$2}); }
    | declaration_specifiers                        { $$ = $1; }
    | declaration_specifiers abstract_declarator    { $$ = b.join(__LINE__, $1, {$2}); }
    ;

identifier_list
    : identifier                            { $$ = $1; }
    | identifier_list COMMA identifier      { $$ = b.join(__LINE__, $1, {$3}); }
    ;

/* A brace list keeps its braces and commas: each value fills its own part of the object. */
initializer
    : assignment_expression                 { $$ = $1; }
    | LSQUIG initializer_list RSQUIG
        { $$ = b.join(__LINE__, b.token($1), {$2, b.token($3)}); }
    | LSQUIG initializer_list COMMA RSQUIG
        { $$ = b.join(__LINE__, b.token($1), {$2, b.token($4)}); }
    ;

initializer_list
    : initializer                           { $$ = $1; }
    | designation initializer               { $$ = b.join(__LINE__, $1, {$2}); }
    | initializer_list COMMA initializer
        { $$ = b.join(__LINE__, $1, {b.token($2), $3}); }
    | initializer_list COMMA designation initializer
        { $$ = b.join(__LINE__, $1, {b.token($2), $3, $4}); }
    ;

/* A designator goes before its value: DOT named after the member, or LBRA EXPSTART index
   EXPEND RBRA; the "=" leaves no node. */
designation
    : designator_list ASSIGN                { $$ = $1; }
    ;

designator_list
    : designator                            { $$ = $1; }
    | designator_list designator            { $$ = b.join(__LINE__, $1, {$2}); }
    ;

designator
    : LBRA constant_expression RBRA
        { $$ = b.join(__LINE__, b.token($1), {b.mark(EXPSTART), $2, b.mark(EXPEND), b.token($3)}); }
    | DOT identifier                        { $$ = b.copyAs($2, DOT); }
    ;

type_name
    : specifier_qualifier_list                          { $$ = $1; }
    | specifier_qualifier_list abstract_declarator
        { $$ = b.join(__LINE__, $1, {$2}); }
    ;

abstract_declarator
    : pointer                               { $$ = $1; }
    | direct_abstract_declarator            { $$ = $1; }
    | pointer direct_abstract_declarator    { $$ = b.join(__LINE__, $1, {$2}); }
    ;

direct_abstract_declarator
    : LPAREN abstract_declarator RPAREN                             { $$ = $2; }
    | LBRA RBRA                                                     { $$ = b.mark(NULLFUNC); }
    | LBRA constant_expression RBRA                                 { $$ = $2; }
    | direct_abstract_declarator LBRA RBRA                          { $$ = fe.abstractArray(b, $1, $1); }
    | direct_abstract_declarator LBRA constant_expression RBRA      { $$ = fe.abstractArray(b, $1, $3); }
    | LPAREN RPAREN                                                 { $$ = b.mark(NULLFUNC); }
    | LPAREN parameter_type_list RPAREN                             { $$ = $2; }
    | direct_abstract_declarator LPAREN RPAREN                      { $$ = $1; }
    | direct_abstract_declarator LPAREN parameter_type_list RPAREN
        { $$ = b.join(__LINE__, $1, {$3}); }
    ;

statement
    : labeled_statement     { $$ = b.join(__LINE__, b.mark(EXPSTART), {$1, b.mark(EXPEND)}); }
    | expression_statement  { $$ = $1; }
    | compound_statement    { $$ = $1; }
    | selection_statement   { $$ = b.join(__LINE__, b.mark(EXPSTART), {$1, b.mark(EXPEND)}); }
    | iteration_statement   { $$ = b.join(__LINE__, b.mark(EXPSTART), {$1, b.mark(EXPEND)}); }
    | FOR LPAREN declaration for_without_initialiser
        /* In C the loop is a block of its own whose names are known only inside it:
           NEWSCOPE declaration EXPSTART for_without_initialiser EXPEND ENDNEWSCOPE */
        { $$ = b.join(__LINE__, b.mark(NEWSCOPE), {
              $3,
              b.mark(EXPSTART),
              $4,
              b.mark(EXPEND),
              b.mark(ENDNEWSCOPE)
          }); }
    | jump_statement        { $$ = b.join(__LINE__, b.mark(EXPSTART), {$1, b.mark(EXPEND)}); }
    ;

labeled_statement
    : identifier COLON statement
        { $$ = b.join(__LINE__, b.sourceLabel(b.copyAs($1, LABELNAME)), {$3}); }
    | CASE constant_expression COLON statement
        { $$ = b.join(__LINE__, $2, {b.token($1), $4}); }
    | DEFAULT COLON statement
        { $$ = b.join(__LINE__, b.token($1), {$3}); }
    ;

expression_statement
    : SEMICOL               { $$ = b.mark(NULLFUNC); }
    | asm_code              { $$ = $1; }
    | expression SEMICOL    { $$ = b.discarded($1); }
    ;

compound_statement
    : LSQUIG RSQUIG
        { $$ = b.mark(NULLFUNC); }
    | LSQUIG statement_list RSQUIG
        { $$ = b.join(__LINE__, b.token($1), {$2, b.token($3)}); }
    | LSQUIG declaring_item_list RSQUIG
        /* LSQUIG NEWSCOPE declaring_item_list ENDNEWSCOPE RSQUIG */
        { $$ = b.join(__LINE__, b.token($1), {
              b.mark(NEWSCOPE),
              $2,
              b.mark(ENDNEWSCOPE),
              b.token($3)
          }); }
    ;

/* The items of a block that declares names: declarations and statements in any order, each
   name known from its declaration to the block's end. */
declaring_item_list
    : declaration                           { $$ = $1; }
    | statement_list declaration            { $$ = b.join(__LINE__, $1, {$2}); }
    | declaring_item_list declaration       { $$ = b.join(__LINE__, $1, {$2}); }
    | declaring_item_list statement         { $$ = b.join(__LINE__, $1, {$2}); }
    ;

statement_list
    : statement                     { $$ = $1; }
    | statement_list statement      { $$ = b.join(__LINE__, $1, {$2}); }
    ;

/* In the statements below "expression IF(l)" and "expression NIF(l)" are written by
   b.condition: a condition that is &&, || or ! becomes a jump on each of its operands. */
selection_statement
    : IF LPAREN expression RPAREN statement
        { const StackValue l1 = b.label();
          $$ = b.join(__LINE__, b.condition(__LINE__, IF, l1, $3), {$5, b.copyAs(l1, LABELNAME)}); }
    | IF LPAREN expression RPAREN statement ELSE statement
        /* expression IF(l1) statement$5 GOTO(l2) LABELNAME(l1) statement$7 LABELNAME(l2) */
        { const StackValue l1 = b.label();
          const StackValue l2 = b.label();
          $$ = b.join(__LINE__, b.condition(__LINE__, IF, l1, $3), {
              $5,
              b.copyAs(l2, GOTO),
              b.copyAs(l1, LABELNAME),
              $7,
              b.copyAs(l2, LABELNAME)
          }); }
    | SWITCH LPAREN expression RPAREN statement
        /* NEW_BRK_LBL EXPSTART NEW_SWT_VAR expression GETEXPVAL ASSIGN TOP_SWT_VAR EXPEND
           SWITCH_END BREAK statement POP_SWT_VAR POP_SWITCH TOP_BRK_LBL POP_BRK_LBL */
        { $$ = b.join(__LINE__, b.mark(NEW_BRK_LBL), {
              b.mark(EXPSTART),
              b.mark(NEW_SWT_VAR),
              $3,
              b.mark(GETEXPVAL),
              b.mark(ASSIGN),
              b.mark(TOP_SWT_VAR),
              b.mark(EXPEND),
              b.mark(SWITCH_END),
              b.mark(BREAK),
              $5,
              b.mark(POP_SWT_VAR),
              b.mark(POP_SWITCH),
              b.mark(TOP_BRK_LBL),
              b.mark(POP_BRK_LBL)
          }); }
    ;

iteration_statement
    : WHILE LPAREN expression RPAREN statement
        /* NEW_BRK_LBL LABELNAME(l1) NEW_CONT_LBL expression IF(l2) statement GOTO(l1)
           LABELNAME(l2) POP_CONT_LBL TOP_BRK_LBL POP_BRK_LBL */
        { const StackValue l1 = b.label();
          const StackValue l2 = b.label();
          $$ = b.join(__LINE__, b.mark(NEW_BRK_LBL), {
              b.copyAs(l1, LABELNAME),
              b.mark(NEW_CONT_LBL),
              b.condition(__LINE__, IF, l2, $3),
              $5,
              b.copyAs(l1, GOTO),
              b.copyAs(l2, LABELNAME),
              b.mark(POP_CONT_LBL),
              b.mark(TOP_BRK_LBL),
              b.mark(POP_BRK_LBL)
          }); }
    | DO statement WHILE LPAREN expression RPAREN SEMICOL
        /* A continue goes on with the test: the loop places its continue label (l2) there.
           NEW_BRK_LBL LABELNAME(l1) NEW_CONT_LBL(l2) statement LABELNAME(l2) expression
           NIF(l1) POP_CONT_LBL TOP_BRK_LBL POP_BRK_LBL */
        { const StackValue l1 = b.label();
          const StackValue l2 = b.label();
          $$ = b.join(__LINE__, b.mark(NEW_BRK_LBL), {
              b.copyAs(l1, LABELNAME),
              b.copyAs(l2, NEW_CONT_LBL),
              $2,
              b.copyAs(l2, LABELNAME),
              b.condition(__LINE__, NIF, l1, $5),
              b.mark(POP_CONT_LBL),
              b.mark(TOP_BRK_LBL),
              b.mark(POP_BRK_LBL)
          }); }
    | FOR LPAREN SEMICOL for_without_initialiser
        { $$ = $4; }
    | FOR LPAREN expression SEMICOL SEMICOL RPAREN statement
        /* NEW_BRK_LBL expression NEW_CONT_LBL LABELNAME(l1) statement GOTO(l1) POP_CONT_LBL
           TOP_BRK_LBL POP_BRK_LBL */
        { const StackValue l1 = b.label();
          $$ = b.join(__LINE__, b.mark(NEW_BRK_LBL), {
              b.discarded($3),
              b.mark(NEW_CONT_LBL),
              b.copyAs(l1, LABELNAME),
              $7,
              b.copyAs(l1, GOTO),
              b.mark(POP_CONT_LBL),
              b.mark(TOP_BRK_LBL),
              b.mark(POP_BRK_LBL)
          }); }
    | FOR LPAREN expression SEMICOL SEMICOL expression RPAREN statement
        /* NEW_BRK_LBL expression$3 LABELNAME(l1) NEW_CONT_LBL(l2) statement LABELNAME(l2)
           expression$6 GOTO(l1) POP_CONT_LBL TOP_BRK_LBL POP_BRK_LBL */
        { const StackValue l1 = b.label();
          const StackValue l2 = b.label();
          $$ = b.join(__LINE__, b.mark(NEW_BRK_LBL), {
              b.discarded($3),
              b.copyAs(l1, LABELNAME),
              b.copyAs(l2, NEW_CONT_LBL),
              $8,
              b.copyAs(l2, LABELNAME),
              b.discarded($6),
              b.copyAs(l1, GOTO),
              b.mark(POP_CONT_LBL),
              b.mark(TOP_BRK_LBL),
              b.mark(POP_BRK_LBL)
          }); }
    | FOR LPAREN expression SEMICOL expression SEMICOL RPAREN statement
        /* NEW_BRK_LBL expression$3 LABELNAME(l1) NEW_CONT_LBL expression$5 IF(l2) statement
           GOTO(l1) LABELNAME(l2) POP_CONT_LBL TOP_BRK_LBL POP_BRK_LBL */
        { const StackValue l1 = b.label();
          const StackValue l2 = b.label();
          $$ = b.join(__LINE__, b.mark(NEW_BRK_LBL), {
              b.discarded($3),
              b.copyAs(l1, LABELNAME),
              b.mark(NEW_CONT_LBL),
              b.condition(__LINE__, IF, l2, $5),
              $8,
              b.copyAs(l1, GOTO),
              b.copyAs(l2, LABELNAME),
              b.mark(POP_CONT_LBL),
              b.mark(TOP_BRK_LBL),
              b.mark(POP_BRK_LBL)
          }); }
    | FOR LPAREN expression SEMICOL expression SEMICOL expression RPAREN statement
        /* NEW_BRK_LBL expression$3 LABELNAME(l1) NEW_CONT_LBL(l3) expression$5 IF(l2)
           statement LABELNAME(l3) expression$7 GOTO(l1) LABELNAME(l2) POP_CONT_LBL
           TOP_BRK_LBL POP_BRK_LBL */
        { const StackValue l1 = b.label();
          const StackValue l2 = b.label();
          const StackValue l3 = b.label();
          $$ = b.join(__LINE__, b.mark(NEW_BRK_LBL), {
              b.discarded($3),
              b.copyAs(l1, LABELNAME),
              b.copyAs(l3, NEW_CONT_LBL),
              b.condition(__LINE__, IF, l2, $5),
              $9,
              b.copyAs(l3, LABELNAME),
              b.discarded($7),
              b.copyAs(l1, GOTO),
              b.copyAs(l2, LABELNAME),
              b.mark(POP_CONT_LBL),
              b.mark(TOP_BRK_LBL),
              b.mark(POP_BRK_LBL)
          }); }
    ;

/* A for loop from its first semicolon on: the loop without a first part. */
for_without_initialiser
    : SEMICOL RPAREN statement
        /* NEW_BRK_LBL LABELNAME(l1) NEW_CONT_LBL statement GOTO(l1) POP_CONT_LBL TOP_BRK_LBL
           POP_BRK_LBL */
        { const StackValue l1 = b.label();
          $$ = b.join(__LINE__, b.mark(NEW_BRK_LBL), {
              b.copyAs(l1, LABELNAME),
              b.mark(NEW_CONT_LBL),
              $3,
              b.copyAs(l1, GOTO),
              b.mark(POP_CONT_LBL),
              b.mark(TOP_BRK_LBL),
              b.mark(POP_BRK_LBL)
          }); }
    | SEMICOL expression RPAREN statement
        /* A continue goes on with the step: the loop places its continue label (l2) there.
           NEW_BRK_LBL LABELNAME(l1) NEW_CONT_LBL(l2) statement LABELNAME(l2) expression
           GOTO(l1) POP_CONT_LBL TOP_BRK_LBL POP_BRK_LBL */
        { const StackValue l1 = b.label();
          const StackValue l2 = b.label();
          $$ = b.join(__LINE__, b.mark(NEW_BRK_LBL), {
              b.copyAs(l1, LABELNAME),
              b.copyAs(l2, NEW_CONT_LBL),
              $4,
              b.copyAs(l2, LABELNAME),
              b.discarded($2),
              b.copyAs(l1, GOTO),
              b.mark(POP_CONT_LBL),
              b.mark(TOP_BRK_LBL),
              b.mark(POP_BRK_LBL)
          }); }
    | expression SEMICOL RPAREN statement
        /* NEW_BRK_LBL LABELNAME(l1) NEW_CONT_LBL expression IF(l2) statement GOTO(l1)
           LABELNAME(l2) POP_CONT_LBL TOP_BRK_LBL POP_BRK_LBL */
        { const StackValue l1 = b.label();
          const StackValue l2 = b.label();
          $$ = b.join(__LINE__, b.mark(NEW_BRK_LBL), {
              b.copyAs(l1, LABELNAME),
              b.mark(NEW_CONT_LBL),
              b.condition(__LINE__, IF, l2, $1),
              $4,
              b.copyAs(l1, GOTO),
              b.copyAs(l2, LABELNAME),
              b.mark(POP_CONT_LBL),
              b.mark(TOP_BRK_LBL),
              b.mark(POP_BRK_LBL)
          }); }
    | expression SEMICOL expression RPAREN statement
        /* NEW_BRK_LBL LABELNAME(l1) NEW_CONT_LBL(l3) expression$1 IF(l2) statement
           LABELNAME(l3) expression$3 GOTO(l1) LABELNAME(l2) POP_CONT_LBL TOP_BRK_LBL
           POP_BRK_LBL */
        { const StackValue l1 = b.label();
          const StackValue l2 = b.label();
          const StackValue l3 = b.label();
          $$ = b.join(__LINE__, b.mark(NEW_BRK_LBL), {
              b.copyAs(l1, LABELNAME),
              b.copyAs(l3, NEW_CONT_LBL),
              b.condition(__LINE__, IF, l2, $1),
              $5,
              b.copyAs(l3, LABELNAME),
              b.discarded($3),
              b.copyAs(l1, GOTO),
              b.copyAs(l2, LABELNAME),
              b.mark(POP_CONT_LBL),
              b.mark(TOP_BRK_LBL),
              b.mark(POP_BRK_LBL)
          }); }
    ;

jump_statement
    : GOTO identifier SEMICOL       { $$ = b.sourceLabel(b.copyAs($2, GOTO)); }
    | CONTINUE SEMICOL              { $$ = b.token($1); }
    | BREAK SEMICOL                 { $$ = b.token($1); }
    | RETURN SEMICOL                { $$ = b.token($1); }
    | RETURN expression SEMICOL     { $$ = b.join(__LINE__, $2, {b.mark(RETURNEXP)}); }
    ;

expression
    : assignment_expression
        { $$ = b.join(__LINE__, b.mark(EXPSTART), {$1, b.mark(EXPEND)}); }
    | expression COMMA assignment_expression
        /* Nothing reads the first operand's value */
        { $$ = b.join(__LINE__, b.discarded($1), {$3}); }
    ;

assignment_expression
    : conditional_expression        { $$ = $1; }
    | unary_expression assignment_operator assignment_expression
        { $$ = b.join(__LINE__, b.mark(SRC_ADDR), {$3, $2, b.mark(DEST_ADDR), $1}); }
    ;

assignment_operator
    : ASSIGN        { $$ = b.token($1); }
    | STAREQ        { $$ = b.token($1); }
    | DIVEQ         { $$ = b.token($1); }
    | MODEQ         { $$ = b.token($1); }
    | PLUSEQ        { $$ = b.token($1); }
    | MINUSEQ       { $$ = b.token($1); }
    | SHIFTLEQ      { $$ = b.token($1); }
    | SHIFTREQ      { $$ = b.token($1); }
    | ANDEQ         { $$ = b.token($1); }
    | EXOREQ        { $$ = b.token($1); }
    | OREQ          { $$ = b.token($1); }
    ;

conditional_expression
    : logical_OR_expression         { $$ = $1; }
    | logical_OR_expression QUESTION expression COLON conditional_expression
        /* One 16-bit temporary takes the chosen branch's value, each branch assigned inside a
           nested run so that no copy of the temporary stays behind in the enclosing
           expression; the temporary then stands as the value and belongs to that leaf:
           EXPSTART NEW_TMP_VAR_LONG logical_OR_expression EXPEND IF(l1) EXPSTART expression
           GETEXPVAL ASSIGN TOP_TMP_VAR EXPEND GOTO(l2) LABELNAME(l1) EXPSTART
           conditional_expression GETEXPVAL ASSIGN TOP_TMP_VAR EXPEND LABELNAME(l2)
           TOP_TMP_VAR POP_TMP_VAR */
        { const StackValue l1 = b.label();
          const StackValue l2 = b.label();
          $$ = b.join(__LINE__, b.mark(EXPSTART), {
              b.mark(NEW_TMP_VAR_LONG),
              $1,
              b.mark(EXPEND),
              b.copyAs(l1, IF),
              b.mark(EXPSTART),
              $3,
              b.mark(GETEXPVAL),
              b.mark(ASSIGN),
              b.mark(TOP_TMP_VAR),
              b.mark(EXPEND),
              b.copyAs(l2, GOTO),
              b.copyAs(l1, LABELNAME),
              b.mark(EXPSTART),
              $5,
              b.mark(GETEXPVAL),
              b.mark(ASSIGN),
              b.mark(TOP_TMP_VAR),
              b.mark(EXPEND),
              b.copyAs(l2, LABELNAME),
              b.mark(TOP_TMP_VAR),
              b.mark(POP_TMP_VAR)
          }); }
    ;

constant_expression
    : conditional_expression        { $$ = b.plainConstants($1); }
    ;

logical_OR_expression
    : logical_AND_expression        { $$ = $1; }
    | logical_OR_expression LOR logical_AND_expression
        /* The value is 0 or 1, and each operand is tested whole (both bytes of a long):
           NEW_TMP_VAR EXPSTART 1 ASSIGN TOP_TMP_VAR EXPEND EXPSTART logical_OR_expression
           EXPEND NIF(l1) EXPSTART logical_AND_expression EXPEND NIF(l1) EXPSTART 0 ASSIGN
           TOP_TMP_VAR EXPEND LABELNAME(l1) GETEXPVAL POP_TMP_VAR */
        { $$ = b.logical(__LINE__, NIF, $1, $3); }
    ;

logical_AND_expression
    : inclusive_OR_expression       { $$ = $1; }
    | logical_AND_expression LAND inclusive_OR_expression
        /* As ||, with the truth values swapped and IF for NIF. */
        { $$ = b.logical(__LINE__, IF, $1, $3); }
    ;

inclusive_OR_expression
    : exclusive_OR_expression       { $$ = $1; }
    | inclusive_OR_expression OR exclusive_OR_expression
        { $$ = b.join(__LINE__, b.token($2), {$1, $3}); }
    ;

exclusive_OR_expression
    : AND_expression                { $$ = $1; }
    | exclusive_OR_expression EXOR AND_expression
        { $$ = b.join(__LINE__, b.token($2), {$1, $3}); }
    ;

AND_expression
    : equality_expression           { $$ = $1; }
    | AND_expression AND equality_expression
        { $$ = b.join(__LINE__, b.token($2), {$1, $3}); }
    ;

equality_expression
    : relational_expression         { $$ = $1; }
    | equality_expression LEQUALS relational_expression
        { $$ = b.join(__LINE__, b.mark(EQU_MARK), {b.mark(MINUS), $1, $3, b.token($2)}); }
    | equality_expression LNOTEQ relational_expression
        { $$ = b.join(__LINE__, b.mark(EQU_MARK), {b.mark(MINUS), $1, $3, b.token($2)}); }
    ;

relational_expression
    : shift_expression              { $$ = $1; }
    | relational_expression LESSTHAN shift_expression
        { $$ = b.join(__LINE__, b.mark(EQU_MARK), {b.mark(RELMINUS), $1, $3, b.token($2)}); }
    | relational_expression BIGGERTHAN shift_expression
        { $$ = b.join(__LINE__, b.mark(EQU_MARK), {b.mark(RELMINUS), $3, $1, b.token($2)}); }
    | relational_expression LESSEQ shift_expression
        { $$ = b.join(__LINE__, b.mark(EQU_MARK), {b.mark(RELMINUS), $3, $1, b.token($2)}); }
    | relational_expression BIGGEREQ shift_expression
        { $$ = b.join(__LINE__, b.mark(EQU_MARK), {b.mark(RELMINUS), $1, $3, b.token($2)}); }
    ;

shift_expression
    : additive_expression           { $$ = $1; }
    | shift_expression SHIFTL additive_expression
        { $$ = b.join(__LINE__, b.token($2), {$1, $3}); }
    | shift_expression SHIFTR additive_expression
        { $$ = b.join(__LINE__, b.token($2), {$1, $3}); }
    ;

additive_expression
    : multiplicative_expression     { $$ = $1; }
    | additive_expression PLUS multiplicative_expression
        { $$ = b.join(__LINE__, b.token($2), {$1, $3}); }
    | additive_expression MINUS multiplicative_expression
        { $$ = b.join(__LINE__, b.token($2), {$1, $3}); }
    ;

multiplicative_expression
    : cast_expression               { $$ = $1; }
    | multiplicative_expression STAR cast_expression
        { $$ = b.join(__LINE__, b.token($2), {$1, $3}); }
    | multiplicative_expression DIV cast_expression
        { $$ = b.join(__LINE__, b.token($2), {$1, $3}); }
    | multiplicative_expression MOD cast_expression
        { $$ = b.join(__LINE__, b.token($2), {$1, $3}); }
    ;

cast_expression
    : unary_expression                          { $$ = $1; }
    | LPAREN type_name RPAREN cast_expression
        { $$ = b.join(__LINE__, b.cast($2), {$4}); }
    | LPAREN type_name RPAREN LSQUIG initializer_list RSQUIG
        { $$ = fe.refuseCompoundLiteral(b, $2); }
    | LPAREN type_name RPAREN LSQUIG initializer_list COMMA RSQUIG
        { $$ = fe.refuseCompoundLiteral(b, $2); }
    ;

unary_expression
    : postfix_expression
        { $$ = b.join(__LINE__, b.mark(POSTFIX_EXP_START), {$1, b.mark(POSTFIX_EXP_END)}); }
    | INCR unary_expression
        /* POSTINC_START PREINC POSTFIX_EXP_START unary_expression POSTINC_END POSTFIX_EXP_END */
        { $$ = b.join(__LINE__, b.mark(POSTINC_START), {
              b.tokenAs($1, PREINC),
              b.mark(POSTFIX_EXP_START),
              $2,
              b.mark(POSTINC_END),
              b.mark(POSTFIX_EXP_END)
          }); }
    | DECR unary_expression
        /* POSTINC_START PREDEC POSTFIX_EXP_START unary_expression POSTINC_END POSTFIX_EXP_END */
        { $$ = b.join(__LINE__, b.mark(POSTINC_START), {
              b.tokenAs($1, PREDEC),
              b.mark(POSTFIX_EXP_START),
              $2,
              b.mark(POSTINC_END),
              b.mark(POSTFIX_EXP_END)
          }); }
    | unary_operator cast_expression    { $$ = b.unary(__LINE__, $1, $2); }
    | SIZEOF unary_expression           { $$ = fe.sizeOfValue(b, $2); }
    | SIZEOF LPAREN type_name RPAREN    { $$ = fe.sizeOfType(b, $3); }
    | SIZEOF INT                        { $$ = b.mark(SIZEOFS); }
    | SIZEOF LONG                       { $$ = b.mark(SIZEOFL); }
    | SIZEOF CHAR                       { $$ = b.mark(SIZEOFS); }
    | SIZEOF SHORT                      { $$ = b.mark(SIZEOFS); }
    | SIZEOF VOID                       { $$ = b.mark(SIZEOF0); }
    ;

unary_operator
    : AND           { $$ = b.mark(ADDR); }
    | STAR          { $$ = b.mark(RESOLV_PTR); }
    | PLUS          { $$ = b.mark(UPLUS); }
    | MINUS         { $$ = b.mark(UMINUS); }
    | TILDE         { $$ = b.mark(TILDE); }
    | BANG          { $$ = b.mark(BANG); }
    | AT            { $$ = b.mark(RESOLV_CONST_PTR); }
    ;

postfix_expression
    : primary_expression            { $$ = $1; }
    | postfix_expression LBRA expression RBRA   { $$ = b.subscript(__LINE__, $1, $3); }
    | postfix_expression LPAREN RPAREN
        /* EXPSTART FUNCCALL postfix_expression EXPEND GETEXPVAL */
        { $$ = b.join(__LINE__, b.mark(EXPSTART), {
              b.mark(FUNCCALL),
              $1,
              b.mark(EXPEND),
              b.mark(GETEXPVAL)
          }); }
    | postfix_expression LPAREN argument_expression_list RPAREN
        /* EXPSTART FUNC_START_PARAM copy(postfix_expression) argument_expression_list FUNCCALL
           postfix_expression FUNC_CLEAR_PARAM EXPEND GETEXPVAL */
        { $$ = b.join(__LINE__, b.mark(EXPSTART), {
              b.mark(FUNC_START_PARAM),
              b.copy($1),
              $3,
              b.mark(FUNCCALL),
              $1,
              b.mark(FUNC_CLEAR_PARAM),
              b.mark(EXPEND),
              b.mark(GETEXPVAL)
          }); }
    | postfix_expression DOT identifier
        { $$ = fe.member(b, $1, $3); }
    | postfix_expression POINTERSYM identifier
        /* POINTERSYM postfix_expression: the member's name in a node of kind POINTERSYM
           before the pointer, so that the pointer is not taken for the member */
        { $$ = b.join(__LINE__, b.copyAs($3, POINTERSYM), {$1}); }
    | postfix_expression INCR
        /* POSTINC_START POSTINC POSTFIX_EXP_START postfix_expression POSTINC_END POSTFIX_EXP_END */
        { $$ = b.join(__LINE__, b.mark(POSTINC_START), {
              b.tokenAs($2, POSTINC),
              b.mark(POSTFIX_EXP_START),
              $1,
              b.mark(POSTINC_END),
              b.mark(POSTFIX_EXP_END)
          }); }
    | postfix_expression DECR
        /* POSTINC_START POSTDEC POSTFIX_EXP_START postfix_expression POSTINC_END POSTFIX_EXP_END */
        { $$ = b.join(__LINE__, b.mark(POSTINC_START), {
              b.tokenAs($2, POSTDEC),
              b.mark(POSTFIX_EXP_START),
              $1,
              b.mark(POSTINC_END),
              b.mark(POSTFIX_EXP_END)
          }); }
    ;

primary_expression
    : identifier                    { $$ = $1; }
    | constant                      { $$ = $1; }
    | string_list                   { $$ = $1; }
    | LPAREN expression RPAREN      { $$ = fe.parenthesised(b, $2); }
    ;

string_list
    : STRING                        { $$ = b.token($1); }
    | string_list STRING            { $$ = fe.concatenate($1, $2); }
    ;

argument_expression_list
    : assignment_expression
        /* PUSH EXPSTART SRC_ADDR assignment_expression EXPEND */
        { $$ = b.join(__LINE__, b.mark(PUSH), {
              b.mark(EXPSTART),
              b.mark(SRC_ADDR),
              $1,
              b.mark(EXPEND)
          }); }
    | argument_expression_list COMMA assignment_expression
        /* argument_expression_list PUSH EXPSTART SRC_ADDR assignment_expression EXPEND */
        { $$ = b.join(__LINE__, $1, {
              b.mark(PUSH),
              b.mark(EXPSTART),
              b.mark(SRC_ADDR),
              $3,
              b.mark(EXPEND)
          }); }
    ;

constant
    : INTEGER_CONSTANT          { $$ = b.integer($1); }
    | CHARACTER_CONSTANT        { $$ = b.token($1); }
    | FLOATING_CONSTANT         { $$ = b.token($1); }
    | ENUMERATION_CONSTANT      { $$ = b.token($1); }
    ;

identifier
    : IDENTIFIER                { $$ = b.token($1); }
    ;

asm_code
    : ASM LPAREN asm_inst_list RPAREN SEMICOL
        { $$ = b.join(__LINE__, b.mark(ASM_START), {$3, b.mark(ASM_END)}); }
    | RASM LPAREN asm_inst_list RPAREN SEMICOL
        /* ASM_START RASM_START asm_inst_list RASM_END ASM_END */
        { $$ = b.join(__LINE__, b.mark(ASM_START), {
              b.mark(RASM_START),
              $3,
              b.mark(RASM_END),
              b.mark(ASM_END)
          }); }
    ;

asm_inst_list
    : asm_inst                  { $$ = $1; }
    | asm_inst_list asm_inst    { $$ = b.join(__LINE__, $1, {$2}); }
    ;

asm_inst
    : ASMINST
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {b.token($1), b.mark(ASM_INST_END)}); }
    | ASMLABEL ASMINST
        /* ASM_INST_START ASMLABEL ASMINST ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($1),
              b.token($2),
              b.mark(ASM_INST_END)
          }); }
    | COLON ASMLABEL ASMINST
        /* ASM_INST_START ASMLABEL ASMINST ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($2),
              b.token($3),
              b.mark(ASM_INST_END)
          }); }
    | ASMINST INTEGER_CONSTANT
        /* ASM_INST_START ASMINST INTEGER_CONSTANT ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($1),
              b.token($2),
              b.mark(ASM_INST_END)
          }); }
    | ASMLABEL ASMINST INTEGER_CONSTANT
        /* ASM_INST_START ASMLABEL ASMINST INTEGER_CONSTANT ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($1),
              b.token($2),
              b.token($3),
              b.mark(ASM_INST_END)
          }); }
    | COLON ASMLABEL ASMINST INTEGER_CONSTANT
        /* ASM_INST_START ASMLABEL ASMINST INTEGER_CONSTANT ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($2),
              b.token($3),
              b.token($4),
              b.mark(ASM_INST_END)
          }); }
    | ASMJMPINST COLON identifier
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {b.token($1), $3, b.mark(ASM_INST_END)}); }
    | ASMLABEL ASMJMPINST COLON identifier
        /* ASM_INST_START ASMLABEL ASMJMPINST identifier ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($1),
              b.token($2),
              $4,
              b.mark(ASM_INST_END)
          }); }
    | COLON ASMLABEL ASMJMPINST COLON identifier
        /* ASM_INST_START ASMLABEL ASMJMPINST identifier ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($2),
              b.token($3),
              $5,
              b.mark(ASM_INST_END)
          }); }
    | ASMJMPINST identifier
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {b.token($1), $2, b.mark(ASM_INST_END)}); }
    | ASMLABEL ASMJMPINST identifier
        /* ASM_INST_START ASMLABEL ASMJMPINST identifier ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($1),
              b.token($2),
              $3,
              b.mark(ASM_INST_END)
          }); }
    | COLON ASMLABEL ASMJMPINST identifier
        /* ASM_INST_START ASMLABEL ASMJMPINST identifier ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($2),
              b.token($3),
              $4,
              b.mark(ASM_INST_END)
          }); }
    | ASMINST identifier
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {b.token($1), $2, b.mark(ASM_INST_END)}); }
    | ASMLABEL ASMINST identifier
        /* ASM_INST_START ASMLABEL ASMINST identifier ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($1),
              b.token($2),
              $3,
              b.mark(ASM_INST_END)
          }); }
    | COLON ASMLABEL ASMINST identifier
        /* ASM_INST_START ASMLABEL ASMINST identifier ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($2),
              b.token($3),
              $4,
              b.mark(ASM_INST_END)
          }); }
    | ASMINST ASMAT identifier
        /* ASM_INST_START ASM_PAGE copy(identifier) ASMINST identifier ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.mark(ASM_PAGE),
              b.copy($3),
              b.token($1),
              $3,
              b.mark(ASM_INST_END)
          }); }
    | ASMLABEL ASMINST ASMAT identifier
        /* ASM_INST_START ASMLABEL ASM_PAGE copy(identifier) ASMINST identifier ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($1),
              b.mark(ASM_PAGE),
              b.copy($4),
              b.token($2),
              $4,
              b.mark(ASM_INST_END)
          }); }
    | COLON ASMLABEL ASMINST ASMAT identifier
        /* ASM_INST_START ASMLABEL ASM_PAGE copy(identifier) ASMINST identifier ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($2),
              b.mark(ASM_PAGE),
              b.copy($5),
              b.token($3),
              $5,
              b.mark(ASM_INST_END)
          }); }
    | ASMINST identifier COMMA INTEGER_CONSTANT
        /* ASM_INST_START ASMINST identifier COMMA INTEGER_CONSTANT ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($1),
              $2,
              b.mark(COMMA),
              b.token($4),
              b.mark(ASM_INST_END)
          }); }
    | ASMLABEL ASMINST identifier COMMA INTEGER_CONSTANT
        /* ASM_INST_START ASMLABEL ASMINST identifier COMMA INTEGER_CONSTANT ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($1),
              b.token($2),
              $3,
              b.mark(COMMA),
              b.token($5),
              b.mark(ASM_INST_END)
          }); }
    | COLON ASMLABEL ASMINST identifier COMMA INTEGER_CONSTANT
        /* ASM_INST_START ASMLABEL ASMINST identifier COMMA INTEGER_CONSTANT ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($2),
              b.token($3),
              $4,
              b.mark(COMMA),
              b.token($6),
              b.mark(ASM_INST_END)
          }); }
    | ASMINST identifier COMMA identifier
        /* ASM_INST_START ASMINST identifier$2 COMMA identifier$4 ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($1),
              $2,
              b.mark(COMMA),
              $4,
              b.mark(ASM_INST_END)
          }); }
    | ASMLABEL ASMINST identifier COMMA identifier
        /* ASM_INST_START ASMLABEL ASMINST identifier$3 COMMA identifier$5 ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($1),
              b.token($2),
              $3,
              b.mark(COMMA),
              $5,
              b.mark(ASM_INST_END)
          }); }
    | COLON ASMLABEL ASMINST identifier COMMA identifier
        /* ASM_INST_START ASMLABEL ASMINST identifier$4 COMMA identifier$6 ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($2),
              b.token($3),
              $4,
              b.mark(COMMA),
              $6,
              b.mark(ASM_INST_END)
          }); }
    | ASMINST identifier ASMDOT INTEGER_CONSTANT COMMA identifier ASMDOT INTEGER_CONSTANT
        /* movb: ASM_INST_START ASMINST identifier$2 INTEGER_CONSTANT identifier$6
           INTEGER_CONSTANT ASM_INST_END */
        /* otherwise: ASM_INST_START ASMINST identifier$2 ASMADDBDOT INTEGER_CONSTANT COMMA
           identifier$6 ASMADDBDOT INTEGER_CONSTANT ASM_INST_END */
        { $$ = isMovb($1)
              ? b.join(__LINE__, b.mark(ASM_INST_START), {
                  b.token($1),
                  $2,
                  b.token($4),
                  $6,
                  b.token($8),
                  b.mark(ASM_INST_END)
              })
              : b.join(__LINE__, b.mark(ASM_INST_START), {
                  b.token($1),
                  $2,
                  b.mark(ASMADDBDOT),
                  b.token($4),
                  b.mark(COMMA),
                  $6,
                  b.mark(ASMADDBDOT),
                  b.token($8),
                  b.mark(ASM_INST_END)
              }); }
    | ASMLABEL ASMINST identifier ASMDOT INTEGER_CONSTANT COMMA identifier ASMDOT INTEGER_CONSTANT
        /* movb: ASM_INST_START ASMLABEL ASMINST identifier$3 INTEGER_CONSTANT identifier$7
           INTEGER_CONSTANT ASM_INST_END */
        /* otherwise: ASM_INST_START ASMLABEL ASMINST identifier$3 ASMADDBDOT INTEGER_CONSTANT
           COMMA identifier$7 ASMADDBDOT INTEGER_CONSTANT ASM_INST_END */
        { $$ = isMovb($2)
              ? b.join(__LINE__, b.mark(ASM_INST_START), {
                  b.token($1),
                  b.token($2),
                  $3,
                  b.token($5),
                  $7,
                  b.token($9),
                  b.mark(ASM_INST_END)
              })
              : b.join(__LINE__, b.mark(ASM_INST_START), {
                  b.token($1),
                  b.token($2),
                  $3,
                  b.mark(ASMADDBDOT),
                  b.token($5),
                  b.mark(COMMA),
                  $7,
                  b.mark(ASMADDBDOT),
                  b.token($9),
                  b.mark(ASM_INST_END)
              }); }
    | COLON ASMLABEL ASMINST identifier ASMDOT
      INTEGER_CONSTANT COMMA identifier ASMDOT INTEGER_CONSTANT
        /* movb: ASM_INST_START ASMLABEL ASMINST identifier$4 INTEGER_CONSTANT identifier$8
           INTEGER_CONSTANT ASM_INST_END */
        /* otherwise: ASM_INST_START ASMLABEL ASMINST identifier$4 ASMADDBDOT INTEGER_CONSTANT
           COMMA identifier$8 ASMADDBDOT INTEGER_CONSTANT ASM_INST_END */
        { $$ = isMovb($3)
              ? b.join(__LINE__, b.mark(ASM_INST_START), {
                  b.token($2),
                  b.token($3),
                  $4,
                  b.token($6),
                  $8,
                  b.token($10),
                  b.mark(ASM_INST_END)
              })
              : b.join(__LINE__, b.mark(ASM_INST_START), {
                  b.token($2),
                  b.token($3),
                  $4,
                  b.mark(ASMADDBDOT),
                  b.token($6),
                  b.mark(COMMA),
                  $8,
                  b.mark(ASMADDBDOT),
                  b.token($10),
                  b.mark(ASM_INST_END)
              }); }
    | ASMINST identifier COMMA identifier ASMDOT INTEGER_CONSTANT
        /* ASM_INST_START ASMINST identifier$2 COMMA identifier$4 ASMADDBDOT INTEGER_CONSTANT
           ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($1),
              $2,
              b.mark(COMMA),
              $4,
              b.mark(ASMADDBDOT),
              b.token($6),
              b.mark(ASM_INST_END)
          }); }
    | ASMLABEL ASMINST identifier COMMA identifier ASMDOT INTEGER_CONSTANT
        /* ASM_INST_START ASMLABEL ASMINST identifier$3 COMMA identifier$5 ASMADDBDOT
           INTEGER_CONSTANT ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($1),
              b.token($2),
              $3,
              b.mark(COMMA),
              $5,
              b.mark(ASMADDBDOT),
              b.token($7),
              b.mark(ASM_INST_END)
          }); }
    | COLON ASMLABEL ASMINST identifier COMMA identifier ASMDOT INTEGER_CONSTANT
        /* ASM_INST_START ASMLABEL ASMINST identifier$4 COMMA identifier$6 ASMADDBDOT
           INTEGER_CONSTANT ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($2),
              b.token($3),
              $4,
              b.mark(COMMA),
              $6,
              b.mark(ASMADDBDOT),
              b.token($8),
              b.mark(ASM_INST_END)
          }); }
    | ASMMACRO3 identifier COMMA identifier COMMA identifier
        /* ASM_INST_START ASMMACRO3 identifier$2 COMMA identifier$4 COMMA identifier$6
           ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($1),
              $2,
              b.mark(COMMA),
              $4,
              b.mark(COMMA),
              $6,
              b.mark(ASM_INST_END)
          }); }
    | ASMLABEL ASMMACRO3 identifier COMMA identifier COMMA identifier
        /* ASM_INST_START ASMLABEL ASMMACRO3 identifier$3 COMMA identifier$5 COMMA identifier$7
           ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($1),
              b.token($2),
              $3,
              b.mark(COMMA),
              $5,
              b.mark(COMMA),
              $7,
              b.mark(ASM_INST_END)
          }); }
    | COLON ASMLABEL ASMMACRO3 identifier COMMA identifier COMMA identifier
        /* ASM_INST_START ASMLABEL ASMMACRO3 identifier$4 COMMA identifier$6 COMMA identifier$8
           ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($2),
              b.token($3),
              $4,
              b.mark(COMMA),
              $6,
              b.mark(COMMA),
              $8,
              b.mark(ASM_INST_END)
          }); }
    | ASMMACRO3 identifier COMMA INTEGER_CONSTANT COMMA identifier
        /* ASM_INST_START ASMMACRO3 identifier$2 COMMA INTEGER_CONSTANT COMMA identifier$6
           ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($1),
              $2,
              b.mark(COMMA),
              b.token($4),
              b.mark(COMMA),
              $6,
              b.mark(ASM_INST_END)
          }); }
    | ASMLABEL ASMMACRO3 identifier COMMA INTEGER_CONSTANT COMMA identifier
        /* ASM_INST_START ASMLABEL ASMMACRO3 identifier$3 COMMA INTEGER_CONSTANT COMMA
           identifier$7 ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($1),
              b.token($2),
              $3,
              b.mark(COMMA),
              b.token($5),
              b.mark(COMMA),
              $7,
              b.mark(ASM_INST_END)
          }); }
    | COLON ASMLABEL ASMMACRO3 identifier COMMA INTEGER_CONSTANT COMMA identifier
        /* ASM_INST_START ASMLABEL ASMMACRO3 identifier$4 COMMA INTEGER_CONSTANT COMMA
           identifier$8 ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($2),
              b.token($3),
              $4,
              b.mark(COMMA),
              b.token($6),
              b.mark(COMMA),
              $8,
              b.mark(ASM_INST_END)
          }); }
    | ASMINST identifier ASMDOT INTEGER_CONSTANT
        /* ASM_INST_START ASMINST identifier COMMA INTEGER_CONSTANT ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($1),
              $2,
              b.mark(COMMA),
              b.token($4),
              b.mark(ASM_INST_END)
          }); }
    | ASMLABEL ASMINST identifier ASMDOT INTEGER_CONSTANT
        /* ASM_INST_START ASMLABEL ASMINST identifier COMMA INTEGER_CONSTANT ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($1),
              b.token($2),
              $3,
              b.mark(COMMA),
              b.token($5),
              b.mark(ASM_INST_END)
          }); }
    | COLON ASMLABEL ASMINST identifier ASMDOT INTEGER_CONSTANT
        /* ASM_INST_START ASMLABEL ASMINST identifier COMMA INTEGER_CONSTANT ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($2),
              b.token($3),
              $4,
              b.mark(COMMA),
              b.token($6),
              b.mark(ASM_INST_END)
          }); }
    | ASMINST identifier ASMDOT INTEGER_CONSTANT COMMA identifier
        /* ASM_INST_START ASMINST identifier$2 COMMA INTEGER_CONSTANT ASMCOMMA identifier$6
           ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($1),
              $2,
              b.mark(COMMA),
              b.token($4),
              b.mark(ASMCOMMA),
              $6,
              b.mark(ASM_INST_END)
          }); }
    | ASMLABEL ASMINST identifier ASMDOT INTEGER_CONSTANT COMMA identifier
        /* ASM_INST_START ASMLABEL ASMINST identifier$3 COMMA INTEGER_CONSTANT ASMCOMMA
           identifier$7 ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($1),
              b.token($2),
              $3,
              b.mark(COMMA),
              b.token($5),
              b.mark(ASMCOMMA),
              $7,
              b.mark(ASM_INST_END)
          }); }
    | COLON ASMLABEL ASMINST identifier ASMDOT INTEGER_CONSTANT COMMA identifier
        /* ASM_INST_START ASMLABEL ASMINST identifier$4 COMMA INTEGER_CONSTANT ASMCOMMA
           identifier$8 ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($2),
              b.token($3),
              $4,
              b.mark(COMMA),
              b.token($6),
              b.mark(ASMCOMMA),
              $8,
              b.mark(ASM_INST_END)
          }); }
    | ASMINST identifier COMMA asm_operand_operator identifier
        /* ASM_INST_START ASMINST identifier$2 COMMA asm_operand_operator identifier$5
           ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($1),
              $2,
              b.mark(COMMA),
              $4,
              $5,
              b.mark(ASM_INST_END)
          }); }
    | ASMLABEL ASMINST identifier COMMA asm_operand_operator identifier
        /* ASM_INST_START ASMLABEL ASMINST identifier$3 COMMA asm_operand_operator identifier$6
           ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($1),
              b.token($2),
              $3,
              b.mark(COMMA),
              $5,
              $6,
              b.mark(ASM_INST_END)
          }); }
    | COLON ASMLABEL ASMINST identifier COMMA asm_operand_operator identifier
        /* ASM_INST_START ASMLABEL ASMINST identifier$4 COMMA asm_operand_operator identifier$7
           ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($2),
              b.token($3),
              $4,
              b.mark(COMMA),
              $6,
              $7,
              b.mark(ASM_INST_END)
          }); }
    | ASMINST ASMBANG identifier
        /* ASM_INST_START ASMINST ASMBANG identifier ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($1),
              b.mark(ASMBANG),
              $3,
              b.mark(ASM_INST_END)
          }); }
    | ASMLABEL ASMINST ASMBANG identifier
        /* ASM_INST_START ASMLABEL ASMINST ASMBANG identifier ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($1),
              b.token($2),
              b.mark(ASMBANG),
              $4,
              b.mark(ASM_INST_END)
          }); }
    | COLON ASMLABEL ASMINST ASMBANG identifier
        /* ASM_INST_START ASMLABEL ASMINST ASMBANG identifier ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($2),
              b.token($3),
              b.mark(ASMBANG),
              $5,
              b.mark(ASM_INST_END)
          }); }
    | ASMINST ASMBANG identifier COMMA identifier
        /* ASM_INST_START ASMINST identifier$5 ASMBANG identifier$3 ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($1),
              $5,
              b.mark(ASMBANG),
              $3,
              b.mark(ASM_INST_END)
          }); }
    | ASMLABEL ASMINST ASMBANG identifier COMMA identifier
        /* ASM_INST_START ASMLABEL ASMINST identifier$6 ASMBANG identifier$4 ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($1),
              b.token($2),
              $6,
              b.mark(ASMBANG),
              $4,
              b.mark(ASM_INST_END)
          }); }
    | COLON ASMLABEL ASMINST ASMBANG identifier COMMA identifier
        /* ASM_INST_START ASMLABEL ASMINST identifier$7 ASMBANG identifier$5 ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($2),
              b.token($3),
              $7,
              b.mark(ASMBANG),
              $5,
              b.mark(ASM_INST_END)
          }); }
    | ASMINST ASMBANG identifier COMMA INTEGER_CONSTANT
        /* ASM_INST_START ASMINST INTEGER_CONSTANT ASMBANG identifier ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($1),
              b.token($5),
              b.mark(ASMBANG),
              $3,
              b.mark(ASM_INST_END)
          }); }
    | ASMLABEL ASMINST ASMBANG identifier COMMA INTEGER_CONSTANT
        /* ASM_INST_START ASMLABEL ASMINST INTEGER_CONSTANT ASMBANG identifier ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($1),
              b.token($2),
              b.token($6),
              b.mark(ASMBANG),
              $4,
              b.mark(ASM_INST_END)
          }); }
    | COLON ASMLABEL ASMINST ASMBANG identifier COMMA INTEGER_CONSTANT
        /* ASM_INST_START ASMLABEL ASMINST INTEGER_CONSTANT ASMBANG identifier ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($2),
              b.token($3),
              b.token($7),
              b.mark(ASMBANG),
              $5,
              b.mark(ASM_INST_END)
          }); }
    | ASMINST identifier COMMA identifier MINUS identifier
        /* ASM_INST_START ASMINST identifier$2 identifier$6 MINUS identifier$4 ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($1),
              $2,
              $6,
              b.mark(MINUS),
              $4,
              b.mark(ASM_INST_END)
          }); }
    | ASMLABEL ASMINST identifier COMMA identifier MINUS identifier
        /* ASM_INST_START ASMLABEL ASMINST identifier$3 identifier$7 MINUS identifier$5
           ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($1),
              b.token($2),
              $3,
              $7,
              b.mark(MINUS),
              $5,
              b.mark(ASM_INST_END)
          }); }
    | COLON ASMLABEL ASMINST identifier COMMA identifier MINUS identifier
        /* ASM_INST_START ASMLABEL ASMINST identifier$4 identifier$8 MINUS identifier$6
           ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($2),
              b.token($3),
              $4,
              $8,
              b.mark(MINUS),
              $6,
              b.mark(ASM_INST_END)
          }); }
    | ASMINST identifier PLUS identifier
        /* ASM_INST_START ASMINST identifier$2 identifier$4 PLUS ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($1),
              $2,
              $4,
              b.mark(PLUS),
              b.mark(ASM_INST_END)
          }); }
    | ASMLABEL ASMINST identifier PLUS identifier
        /* ASM_INST_START ASMLABEL ASMINST identifier$3 identifier$5 PLUS ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($1),
              b.token($2),
              $3,
              $5,
              b.mark(PLUS),
              b.mark(ASM_INST_END)
          }); }
    | COLON ASMLABEL ASMINST identifier PLUS identifier
        /* ASM_INST_START ASMLABEL ASMINST identifier$4 identifier$6 PLUS ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($2),
              b.token($3),
              $4,
              $6,
              b.mark(PLUS),
              b.mark(ASM_INST_END)
          }); }
    | ASMLABEL ASMEQU INTEGER_CONSTANT
        /* ASM_INST_START ASMEQU ASMLABEL INTEGER_CONSTANT ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($2),
              b.token($1),
              b.token($3),
              b.mark(ASM_INST_END)
          }); }
    | ASMLABEL ASMEQU identifier
        /* ASM_INST_START ASMEQU ASMLABEL identifier ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($2),
              b.token($1),
              $3,
              b.mark(ASM_INST_END)
          }); }
    | COLON ASMLABEL ASMEQU INTEGER_CONSTANT
        /* ASM_INST_START ASMEQU ASMLABEL INTEGER_CONSTANT ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($3),
              b.token($2),
              b.token($4),
              b.mark(ASM_INST_END)
          }); }
    | COLON ASMLABEL ASMEQU identifier
        /* ASM_INST_START ASMEQU ASMLABEL identifier ASM_INST_END */
        { $$ = b.join(__LINE__, b.mark(ASM_INST_START), {
              b.token($3),
              b.token($2),
              $4,
              b.mark(ASM_INST_END)
          }); }
    ;

asm_operand_operator
    : INCR                  { $$ = b.mark(INCR); }
    | DECR                  { $$ = b.mark(DECR); }
    | SHIFTL                { $$ = b.mark(SHIFTL); }
    | SHIFTR                { $$ = b.mark(SHIFTR); }
    | DIV                   { $$ = b.mark(DIV); }
    | LESSTHAN BIGGERTHAN   { $$ = b.mark(SWAP); }
    | DOLLARSIGN            { $$ = b.mark(DOLLARSIGN); }
    ;

/* A stray comment close before the first declaration. Nothing is made of it. */
comment
    : COMMENT_START             { $$ = StackValue{}; }
    | COMMENT_END               { $$ = StackValue{}; }
    | COMMENT_BODY              { $$ = StackValue{}; }
    | comment COMMENT_BODY      { $$ = $1; }
    ;

%%

// The parser's token numbers are the node kinds: the scanner returns kinds, and actions
// turn tokens into nodes of the same number.
static_assert(static_cast<int>(TOK_AUTO) == kavo::AUTO);
static_assert(static_cast<int>(TOK_REGISTER) == kavo::REGISTER);
static_assert(static_cast<int>(TOK_STATIC) == kavo::STATIC);
static_assert(static_cast<int>(TOK_EXTERN) == kavo::EXTERN);
static_assert(static_cast<int>(TOK_TYPEDEF) == kavo::TYPEDEF);
static_assert(static_cast<int>(TOK_VOID) == kavo::VOID);
static_assert(static_cast<int>(TOK_CHAR) == kavo::CHAR);
static_assert(static_cast<int>(TOK_SHORT) == kavo::SHORT);
static_assert(static_cast<int>(TOK_INT) == kavo::INT);
static_assert(static_cast<int>(TOK_LONG) == kavo::LONG);
static_assert(static_cast<int>(TOK_FLOAT) == kavo::FLOAT);
static_assert(static_cast<int>(TOK_DOUBLE) == kavo::DOUBLE);
static_assert(static_cast<int>(TOK_SIGNED) == kavo::SIGNED);
static_assert(static_cast<int>(TOK_UNSIGNED) == kavo::UNSIGNED);
static_assert(static_cast<int>(TOK_CONST) == kavo::CONST);
static_assert(static_cast<int>(TOK_VOLATILE) == kavo::VOLATILE);
static_assert(static_cast<int>(TOK_STRUCT) == kavo::STRUCT);
static_assert(static_cast<int>(TOK_UNION) == kavo::UNION);
static_assert(static_cast<int>(TOK_SEMICOL) == kavo::SEMICOL);
static_assert(static_cast<int>(TOK_COLON) == kavo::COLON);
static_assert(static_cast<int>(TOK_COMMA) == kavo::COMMA);
static_assert(static_cast<int>(TOK_LSQUIG) == kavo::LSQUIG);
static_assert(static_cast<int>(TOK_RSQUIG) == kavo::RSQUIG);
static_assert(static_cast<int>(TOK_LPAREN) == kavo::LPAREN);
static_assert(static_cast<int>(TOK_RPAREN) == kavo::RPAREN);
static_assert(static_cast<int>(TOK_LBRA) == kavo::LBRA);
static_assert(static_cast<int>(TOK_RBRA) == kavo::RBRA);
static_assert(static_cast<int>(TOK_CASE) == kavo::CASE);
static_assert(static_cast<int>(TOK_DEFAULT) == kavo::DEFAULT);
static_assert(static_cast<int>(TOK_IF) == kavo::IF);
static_assert(static_cast<int>(TOK_ELSE) == kavo::ELSE);
static_assert(static_cast<int>(TOK_SWITCH) == kavo::SWITCH);
static_assert(static_cast<int>(TOK_WHILE) == kavo::WHILE);
static_assert(static_cast<int>(TOK_DO) == kavo::DO);
static_assert(static_cast<int>(TOK_FOR) == kavo::FOR);
static_assert(static_cast<int>(TOK_GOTO) == kavo::GOTO);
static_assert(static_cast<int>(TOK_CONTINUE) == kavo::CONTINUE);
static_assert(static_cast<int>(TOK_BREAK) == kavo::BREAK);
static_assert(static_cast<int>(TOK_RETURN) == kavo::RETURN);
static_assert(static_cast<int>(TOK_ASSIGN) == kavo::ASSIGN);
static_assert(static_cast<int>(TOK_STAREQ) == kavo::STAREQ);
static_assert(static_cast<int>(TOK_DIVEQ) == kavo::DIVEQ);
static_assert(static_cast<int>(TOK_MODEQ) == kavo::MODEQ);
static_assert(static_cast<int>(TOK_PLUSEQ) == kavo::PLUSEQ);
static_assert(static_cast<int>(TOK_MINUSEQ) == kavo::MINUSEQ);
static_assert(static_cast<int>(TOK_SHIFTLEQ) == kavo::SHIFTLEQ);
static_assert(static_cast<int>(TOK_SHIFTREQ) == kavo::SHIFTREQ);
static_assert(static_cast<int>(TOK_ANDEQ) == kavo::ANDEQ);
static_assert(static_cast<int>(TOK_EXOREQ) == kavo::EXOREQ);
static_assert(static_cast<int>(TOK_OREQ) == kavo::OREQ);
static_assert(static_cast<int>(TOK_BIGGERTHAN) == kavo::BIGGERTHAN);
static_assert(static_cast<int>(TOK_LESSEQ) == kavo::LESSEQ);
static_assert(static_cast<int>(TOK_BIGGEREQ) == kavo::BIGGEREQ);
static_assert(static_cast<int>(TOK_INCR) == kavo::INCR);
static_assert(static_cast<int>(TOK_DECR) == kavo::DECR);
static_assert(static_cast<int>(TOK_QUESTION) == kavo::QUESTION);
static_assert(static_cast<int>(TOK_LOR) == kavo::LOR);
static_assert(static_cast<int>(TOK_LAND) == kavo::LAND);
static_assert(static_cast<int>(TOK_OR) == kavo::OR);
static_assert(static_cast<int>(TOK_EXOR) == kavo::EXOR);
static_assert(static_cast<int>(TOK_AND) == kavo::AND);
static_assert(static_cast<int>(TOK_LEQUALS) == kavo::LEQUALS);
static_assert(static_cast<int>(TOK_LNOTEQ) == kavo::LNOTEQ);
static_assert(static_cast<int>(TOK_LESSTHAN) == kavo::LESSTHAN);
static_assert(static_cast<int>(TOK_SHIFTR) == kavo::SHIFTR);
static_assert(static_cast<int>(TOK_SHIFTL) == kavo::SHIFTL);
static_assert(static_cast<int>(TOK_STAR) == kavo::STAR);
static_assert(static_cast<int>(TOK_PLUS) == kavo::PLUS);
static_assert(static_cast<int>(TOK_MINUS) == kavo::MINUS);
static_assert(static_cast<int>(TOK_DIV) == kavo::DIV);
static_assert(static_cast<int>(TOK_MOD) == kavo::MOD);
static_assert(static_cast<int>(TOK_SIZEOF) == kavo::SIZEOF);
static_assert(static_cast<int>(TOK_TILDE) == kavo::TILDE);
static_assert(static_cast<int>(TOK_BANG) == kavo::BANG);
static_assert(static_cast<int>(TOK_ASMBANG) == kavo::ASMBANG);
static_assert(static_cast<int>(TOK_AT) == kavo::AT);
static_assert(static_cast<int>(TOK_ASMDOT) == kavo::ASMDOT);
static_assert(static_cast<int>(TOK_DOT) == kavo::DOT);
static_assert(static_cast<int>(TOK_POINTERSYM) == kavo::POINTERSYM);
static_assert(static_cast<int>(TOK_ENUM) == kavo::ENUM);
static_assert(static_cast<int>(TOK_ASMEQU) == kavo::ASMEQU);
static_assert(static_cast<int>(TOK_ASMMACRO3) == kavo::ASMMACRO3);
static_assert(static_cast<int>(TOK_ASMAT) == kavo::ASMAT);
static_assert(static_cast<int>(TOK_ELIPSIS) == kavo::ELIPSIS);
static_assert(static_cast<int>(TOK_INTEGER_CONSTANT) == kavo::INTEGER_CONSTANT);
static_assert(static_cast<int>(TOK_CHARACTER_CONSTANT) == kavo::CHARACTER_CONSTANT);
static_assert(static_cast<int>(TOK_FLOATING_CONSTANT) == kavo::FLOATING_CONSTANT);
static_assert(static_cast<int>(TOK_ENUMERATION_CONSTANT) == kavo::ENUMERATION_CONSTANT);
static_assert(static_cast<int>(TOK_STRING) == kavo::STRING);
static_assert(static_cast<int>(TOK_IDENTIFIER) == kavo::IDENTIFIER);
static_assert(static_cast<int>(TOK_TYPEDEFNAME) == kavo::TYPEDEFNAME);
static_assert(static_cast<int>(TOK_COMMENT_START) == kavo::COMMENT_START);
static_assert(static_cast<int>(TOK_COMMENT_END) == kavo::COMMENT_END);
static_assert(static_cast<int>(TOK_COMMENT_BODY) == kavo::COMMENT_BODY);
static_assert(static_cast<int>(TOK_RASM) == kavo::RASM);
static_assert(static_cast<int>(TOK_ASM) == kavo::ASM);
static_assert(static_cast<int>(TOK_ASMINST) == kavo::ASMINST);
static_assert(static_cast<int>(TOK_ASMLABEL) == kavo::ASMLABEL);
static_assert(static_cast<int>(TOK_ASMJMPINST) == kavo::ASMJMPINST);
static_assert(static_cast<int>(TOK_DOLLARSIGN) == kavo::DOLLARSIGN);