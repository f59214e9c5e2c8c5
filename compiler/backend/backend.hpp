#pragma once

// The back end's passes and writers, as the back-end driver calls them.
#include "compiler/base/output_stream.hpp"
#include "compiler/run/compilation.hpp"

#include <string>
#include <string_view>

namespace kavo {

// --- Argument lowering and peephole optimisation ---

// Lowers the call-argument markers into moves into the callee's parameters; with rules on,
// then rewrites short instruction patterns into cheaper ones until none applies, drops stores
// into temporaries nothing reads, merges temporaries whose uses never overlap and merges
// adjacent compiler labels. Every rewrite keeps what later code reads.
void optimise(Compilation& c, bool rules = true);

// Points jumps and calls at the first of two adjacent labels where the second is a compiler
// label, and drops the second when nothing else names it.
void mergelabels(Compilation& c);

// --- Page and bank placement and label resolution ---

// Builds the free code segments from the program memory image: the blank stretches of more
// than 16 words between ROM_START and ROM_END (VP4 beyond 32), or the whole of it when no
// Virtual Peripheral was loaded.
void makecodesegments(Compilation& c);

// Replaces the address pseudo-instructions by literal loads (after RAM allocation).
void resolveaddresses(Compilation& c);
// Inserts the bank selections every register access needs.
void selectbanks(Compilation& c);
// Inserts the page selections every jump and call needs; no PAGE in a one-page program.
void selectpages(Compilation& c);
// Gives every instruction its program address; true when a label moved to another page
// after page selection had run (the caller runs it again until it reports none).
bool labeltablepass(Compilation& c);
// The remaining address loads whose symbol got a place late, or C89.
void resolveaddressof(Compilation& c);
// Resolves every operand to its numeric field and reports what cannot be resolved; returns
// the address after the last instruction, the program size.
int finalresolution(Compilation& c);
// C346 when the deepest nest of calls from main, with the interrupt routine's on top, needs
// more return addresses than the chip's stack holds.
void checkcalldepth(Compilation& c);

// --- Assembly source, string table and object file ---

// Replaces the PIC_STRINGLOC placeholder by the string table in program memory and its reader
// routine "@__strings_" (plain layout up to 169 bytes, packed three bytes in two words from
// 170 on). Runs once, after the call-tree work.
void makestrings(Compilation& c);

// Writes the placed instruction list as SX assembly: listingMode 0 for the assembly file,
// 1 for the listing, where margin (fourteen blanks) and the address and word columns lead
// each line. Replaces "@" by "A" in the operands in place unless REPLACE_AT_FLAG is set, so
// later writers see the names as written. Returns 1.
int writeasm(Compilation& c, OutputStream& file, int listingMode, std::string_view margin);

// --- Listing sections and map file ---

// The call tree, one line per function with its page (-1 when it spans pages) and the
// functions it calls. Every line starts with margin.
void listcalltree(Compilation& c, OutputStream& file, const std::string& margin);
// The symbol table in declaration order, with the members of structures and unions and the
// values of enumerators; PRINT_SCOPE adds the scope column.
void listsymbols(Compilation& c, OutputStream& file, const SymbolList& symbols,
                 const std::string& margin);
// One EQU line per placed byte, under the names the code uses; listingMode 1 puts the byte's
// address in front of each line.
void listequ(Compilation& c, OutputStream& file, const SymbolList& symbols,
             const std::string& margin, int listingMode);
// The placed instruction list in the compiler's own opcodes, laid out by DEBUG_FORM; written
// in place of the code when ASM_FORMAT is set.
void listcode(Compilation& c, OutputStream& file);
// The emulator map file: the variables' addresses and the source line of every address.
void writemap(Compilation& c, OutputStream& file);

// Encodes every instruction (the word stays on it for the listing) and writes the Intel HEX
// object file: program records of at most 8 words, Virtual Peripheral fill records, the
// configuration words from the pragmas and the end record.
void writehex(Compilation& c, OutputStream& file);

// The four hex digits of a 12-bit word as the object file holds it, low byte first: 0x0C0A
// is "0A0C".
std::string hexword(int value);

// The Intel HEX checksum of a record whose data bytes are dataText (hex digits).
int hexchecksum(int byteCount, int byteAddress, int recordType, std::string_view dataText);

// Writes the Virtual Peripheral image's words first to last as data records, when a Virtual
// Peripheral file was loaded and first < last.
void fillhex(Compilation& c, OutputStream& file, int first, int last);

} // namespace kavo
