#pragma once

#include <string_view>

namespace kavo {

// Node kinds. The same numbers are the scanner's token codes and the type and class codes of
// the symbol table, and later passes compare them by number: never renumber.
enum Kind : int {
    AUTO = 257,
    REGISTER = 258,
    STATIC = 259,
    EXTERN = 260,
    TYPEDEF = 261,
    VOID = 262,
    CHAR = 263,
    SHORT = 264,
    INT = 265,
    LONG = 266,
    FLOAT = 267,
    DOUBLE = 268,
    SIGNED = 269,
    UNSIGNED = 270,
    CONST = 271,
    VOLATILE = 272,
    STRUCT = 273,
    UNION = 274,
    SEMICOL = 275,
    COLON = 276,
    COMMA = 277,
    LSQUIG = 278,
    RSQUIG = 279,
    LPAREN = 280,
    RPAREN = 281,
    LBRA = 282,
    RBRA = 283,
    CASE = 284,
    DEFAULT = 285,
    IF = 286,
    NIF = 287,
    ELSE = 288,
    SWITCH = 289,
    WHILE = 290,
    DO = 291,
    FOR = 292,
    GOTO = 293,
    CONTINUE = 294,
    BREAK = 295,
    RETURN = 296,
    RETURNEXP = 297,
    ASSIGN = 298,
    STAREQ = 299,
    DIVEQ = 300,
    MODEQ = 301,
    PLUSEQ = 302,
    MINUSEQ = 303,
    SHIFTLEQ = 304,
    SHIFTREQ = 305,
    ANDEQ = 306,
    EXOREQ = 307,
    OREQ = 308,
    EQU_MARK = 309,
    BIGGERTHAN = 310,
    LESSEQ = 311,
    BIGGEREQ = 312,
    INCR = 313,
    DECR = 314,
    QUESTION = 315,
    LOR = 316,
    LAND = 317,
    OR = 318,
    EXOR = 319,
    AND = 320,
    LEQUALS = 321,
    LNOTEQ = 322,
    LESSTHAN = 323,
    SWAP = 324,
    SHIFTR = 325,
    SHIFTL = 326,
    PSTAR = 327,
    STAR = 328,
    PLUS = 329,
    MINUS = 330,
    RELMINUS = 331,
    DIV = 332,
    MOD = 333,
    SIZEOF0 = 334,
    SIZEOFS = 335,
    SIZEOFL = 336,
    SIZEOF = 337,
    TILDE = 338,
    BANG = 339,
    ASMBANG = 340,
    AT = 341,
    ASMDOT = 342,
    DOT = 343,
    POINTER = 344,
    FARPOINTER = 345,
    POINTERSYM = 346,
    ENUM = 347,
    ASMEQU = 348,
    ASMEQSIGN = 349,
    ASMMACRO3 = 350,
    ASMCOMMA = 351,
    ASMADDBDOT = 352,
    ASMDIV = 353,
    ASM_PAGE = 354,
    ASMAT = 355,
    ELIPSIS = 356,
    RESOLV_PTR = 357,
    RESOLV_CONST_PTR = 358,
    INDEX_ON = 359,
    INDEX_OFF = 360,
    INTEGER_CONSTANT = 361,
    CHARACTER_CONSTANT = 362,
    FLOATING_CONSTANT = 363,
    ENUMERATION_CONSTANT = 364,
    STRING = 365,
    STRINGPTR = 366,
    IDENTIFIER = 367,
    LONG_IDENTIFIER = 368,
    STRING_IDENTIFIER = 369,
    TYPEDEFNAME = 370,
    NULLFUNC = 371,
    FUNCARGS = 372,
    EXPSTART = 373,
    EXPEND = 374,
    PREDEC = 375,
    POSTDEC = 376,
    PREINC = 377,
    POSTINC = 378,
    PUSH = 379,
    FUNCCALL = 380,
    FUNCNAME = 381,
    FUNCPTR = 382,
    FUNCSTART = 383,
    FUNCEND = 384,
    DEC_LIST_END = 385,
    DEC_LIST_START = 386,
    SCOPENAME = 387,
    NEWSCOPE = 388,
    ENDNEWSCOPE = 389,
    LABEL = 390,
    LABELNAME = 391,
    DESTLABEL = 392,
    GETEXPVAL = 393,
    ENUMSTART = 394,
    ENUMEND = 395,
    STRUCT_NAME = 396,
    STRUCT_DEC_START = 397,
    STRUCT_DEC_END = 398,
    STRUCT_TYPE = 399,
    UNION_NAME = 400,
    OR_THE_TOP = 401,
    NEW_TMP_VAR = 402,
    NEW_TMP_VAR_LONG = 403,
    TOP_TMP_VAR = 404,
    POP_TMP_VAR = 405,
    NEW_SWT_VAR = 406,
    TOP_SWT_VAR = 407,
    POP_SWT_VAR = 408,
    NEW_BRK_LBL = 409,
    TOP_BRK_LBL = 410,
    POP_BRK_LBL = 411,
    NEW_CONT_LBL = 412,
    TOP_CONT_LBL = 413,
    POP_CONT_LBL = 414,
    SWITCH_END = 415,
    POP_SWITCH = 416,
    ST_OFFSET = 417,
    ST_OFFSET_PUSH = 418,
    ST_OFFSET_POP = 419,
    ST_ADDR_RESOLVE = 420,
    POSTFIX_EXP_START = 421,
    POSTFIX_EXP_END = 422,
    ADDRESS = 423,
    ENUM_INIT_VAL = 424,
    ENUM_INIT_VAL_END = 425,
    ARRAY_SIZE = 426,
    ARRAY = 427,
    SRC_ADDR = 428,
    DEST_ADDR = 429,
    POSTINC_START = 430,
    POSTINC_END = 431,
    FORCED_MEM_LOC = 432,
    FORCED_MEM_LOC_END = 433,
    FUNC_PROTO_START = 434,
    FUNC_PROTO_END = 435,
    SUBSCRIPT = 436,
    FUNC_CLEAR_PARAM = 437,
    FUNC_START_PARAM = 438,
    COMMENT_START = 439,
    COMMENT_END = 440,
    COMMENT_BODY = 441,
    RASM = 442,
    ASM = 443,
    ASM_START = 444,
    ASM_END = 445,
    ASM_INST_START = 446,
    ASM_INST_END = 447,
    ASMINST = 448,
    ASMLABEL = 449,
    RASM_START = 450,
    RASM_END = 451,
    ASMJMPINST = 452,
    LINE = 453,
    DOLLARSIGN = 454,
    NOT = 455,
    USTAR = 456,
    ADDR = 457,
    UMINUS = 458,
    UPLUS = 459,
    LOWER_THAN_ELSE = 460,
    // Not a token: a cast in an expression, a prefix operator whose integer is the width in
    // bits it converts to (0 when the type is not an integer type) and whose text names the
    // type.
    CAST = 461,
    // Not a token: after a struct member's width in bits (an expression just before it), the
    // mark that the member named after it is a bit-field of that width.
    BIT_FIELD = 462,
};

// What a SIZEOF node's integer says it sizes of the variable named after it; a member's name
// is the node's secondary text.
enum SizeOfWhat {
    SizeOfObject = 0,
    SizeOfElement = 1,
    SizeOfTarget = 2, // what a pointer points at
    SizeOfMember = 3,
    SizeOfMemberThroughPointer = 4,
    SizeOfTag = 5,           // of the struct or union tag the node's secondary text names
    SizeOfElementMember = 6, // a member of an element of an array of structs, pts[i].y
    SizeOfReturn = 7,        // the value the function named returns, f()
    // Added to the others: the part as an operator's operand, where an array is a pointer to
    // its first element and a struct or union has no place.
    SizeOfAsValue = 8,
    // Added to the others: the part's address, &x (a pointer to x's type).
    SizeOfAddress = 16,
    // An element or a row of a member array, s.m[i] or p->m[i][j]: the secondary text is the
    // member chain and the subscripts' count, "m/2".
    SizeOfMemberElement = 32,
};

// An EXPSTART node's integer when nothing reads the expression's value: an expression
// statement, a for loop's first and third parts.
constexpr int ValueDiscarded = 1;

// The name of an unnamed bit-field (the padding of int : 3;) starts with this, which no
// program can write: it is a member no expression and no initialiser reaches.
constexpr const char* UnnamedBitField = ":pad";

// A LABELNAME or GOTO node's integer when the label is the program's own, a C label: its
// scope is its function, so the assembly name joins the two.
constexpr int SourceLabel = 1;

// A NEWSCOPE node's integer when its block is a function's body: in C the parameters belong to
// that block, so its declarations may not repeat their names.
constexpr int FunctionBodyScope = 1;

// A struct argument marker's value when the call's generator has already matched its type
// to the parameter's: a member struct, whose type its variable does not tell.
constexpr int AggregateArgumentChecked = 1;

constexpr int FirstKind = AUTO;
constexpr int LastKind = BIT_FIELD;

// The name of a kind as listings and traces print it; "" for numbers without a name.
std::string_view kindName(int kind);

// A kind as a user knows it, for messages: a keyword or an operator as it is written in C
// ("int", "-", "=="), a class of token in words ("identifier", "floating constant"), and
// "this expression" for the parser's own markers, whose names mean nothing to a user.
std::string_view kindSpelling(int kind);

} // namespace kavo
