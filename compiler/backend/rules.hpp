#pragma once

// The peephole rules, one function each, tried in this order at every position.

#include "compiler/backend/optimiser.hpp"

namespace kavo::optimiser {

bool rule1StringAddress(Match& m);
bool rule2Literals(Match& m);
bool rule3ReturnLiteral(Match& m);
bool rule4AddressPlusConstant(Match& m);
bool rule5StatusBitRewritten(Match& m);
bool rule6SetThenClear(Match& m);
bool rule7ClearThenSet(Match& m);
bool rule8ReloadAroundLiteral(Match& m);
bool rule9OrLiteral(Match& m);
bool rule10AndLiteral(Match& m);
bool rule11JumpToNext(Match& m);
bool rule12UnreachableJump(Match& m);
bool rule13ZeroClearedTwice(Match& m);
bool rule14ZeroSetTwice(Match& m);
bool rule15AddZeroThenCarryTest(Match& m);
bool rule16AddZero(Match& m);
bool rule17CarryToByte(Match& m);
bool rule18CarryToByteInverted(Match& m);
bool rule19AddOperands(Match& m);
bool rule20IncrementedLiteral(Match& m);
bool rule21ScratchReload(Match& m);
bool rule22Reload(Match& m);
bool rule23SetBitByOr(Match& m);
bool rule24ClearBitByAnd(Match& m);
bool rule25ZeroFlagAfterCall(Match& m);
bool rule26AddIntoRegister(Match& m);
bool rule27StoreBack(Match& m);
bool rule28StoreReloadBeforeTest(Match& m);
bool rule29LoadStoreReloadBeforeTest(Match& m);
bool rule30TemporaryPassThrough(Match& m);
bool rule31ClearByLiteral(Match& m);
bool rule32IncrementByAdd(Match& m);
bool rule33DecrementBySubtract(Match& m);
bool rule34ComplementIndirect(Match& m);
bool rule35AddOne(Match& m);
bool rule36OperateInPlace(Match& m);
bool rule37IncrementDecrement(Match& m);
bool rule38InvertedTest(Match& m);
bool rule39DecrementToW(Match& m);
bool rule40TwoLoads(Match& m);
bool rule41LoadBeforeSubtract(Match& m);
bool rule43SignTestOnStore(Match& m);
bool rule44LoadBeforeIncrementSkip(Match& m);
bool rule45UnusedResult(Match& m);
bool rule47DeadTemporaryStore(Match& m);
bool rule48UnreachableReturn(Match& m);
bool rule49RotateFromSource(Match& m);
bool rule50RotateIntoW(Match& m);
bool rule51DeadGuardedStep(Match& m);

} // namespace kavo::optimiser
