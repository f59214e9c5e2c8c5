#pragma once

// The program-structure and RAM passes of the back end: the call tree, removal of what the
// program never uses, call vectors, the interrupt routine's own temporaries, and the placement
// of every variable in the register file with register reuse.
#include "compiler/run/compilation.hpp"
#include "compiler/tables/symbol_table.hpp"

#include <set>
#include <string>
#include <string_view>

namespace kavo {

// --- Call tree and unused code -------------------------------------------------------------

// Enters every defined function and every call of the node list, each call as made by the
// function it is written in.
void buildcalltree(Compilation& c);
// The node list defines a function of that name.
bool isfunction(const Compilation& c, std::string_view name);
// The names of every function the program defines (one walk, for callers asking many times).
std::set<std::string> definedFunctions(const Compilation& c);
// The page stored on the function's call-tree entry; -1 when there is none.
int functionpage(const Compilation& c, std::string_view name);
// One pass of uncalled-function removal; true when it deleted something.
bool deleteuncalled(Compilation& c);
// Deletes the variables no instruction uses, with a warning each.
void deleteunusedvars(Compilation& c);
// Deletes the "_tmp_" temporaries no instruction uses, silently.
void dropunusedtemps(Compilation& c);
// Lists the called functions and puts a jump to each in front of the string table.
void makecallvectors(Compilation& c);

// --- Temporaries -----------------------------------------------------------------------------

// Gives the interrupt routine temporaries of its own ("_itr_") and saves the compiler's
// scratch bytes that the routine, or anything it calls, changes.
void makeinterrupttemps(Compilation& c);
// Gives every function temporaries of its own, so that a temporary live across a call is
// never the one the called function works in.
void separatefunctiontemps(Compilation& c);

// --- RAM placement -------------------------------------------------------------------------

// Reads the bank table and the common ranges from the pragmas.
void readbanklayout(Compilation& c);
// Enters a global symbol at a fixed address (-1: unplaced), with C240 when the address is
// already taken.
Symbol* setfixedloc(Compilation& c, std::string_view name, int address, int type);
// Places every unplaced variable; returns 0 after C114 (the RAM ran out), else 1.
int figureoutloc(Compilation& c);
// A block of size bytes for a variable used by usedBy; -1 when none is left (counted as
// unplaced). A compiler temporary of a function always may share a location with another
// function's temporary; a variable only with register reuse on.
int findregloc(Compilation& c, int size, std::string_view usedBy, int cls, bool tryCommon,
               bool compilerTemporary = false);
// An address an unrelated function's variable (or, temporariesOnly, temporary) of the same
// size holds; -1 when none.
int reuseloc(Compilation& c, int size, std::string_view usedBy, bool temporariesOnly = false);
// Whether functions a and b can be active at the same time (C135 on a call chain of 150).
bool scopesrelated(Compilation& c, std::string_view a, std::string_view b, int depth = 0);
// No placed symbol covers the address.
bool addressfree(const Compilation& c, int address);
// The bank an address is selected with; -1 when its offset lies in a common range.
int bankof(const Compilation& c, int address);

} // namespace kavo
